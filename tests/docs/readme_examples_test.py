#!/usr/bin/env python3
"""The READMEs' examples, run: what they show is what the programs do.

  readme_examples_test.py PUMPCALC_CLI TOOLS_PACKAGE README.md...

In each README, in order:
  - a code block marked `file=NAME` is an input file, written as shown (in UTF-8, or in
    the encoding that `encoding=NAME` names);
  - a line of a code block that runs pumpcalc-cli (or tools/run-cli) is a command: every
    option it uses must be one that `pumpcalc-cli --help` lists;
  - a code block marked `output=-`, `output=stderr` or `output=NAME` (with `exit=N` when the
    exit code is not 0) is what the last command prints or writes: the command is run and
    its output compared byte for byte (decoded from `encoding=NAME` where it is marked).
Options shown on their own (`--motor-ratings FILE`) must be pumpcalc-cli's, tools/package's
or, as the READMEs show them for installing, winget's.
"""
import os
import pathlib
import re
import shlex
import subprocess
import sys
import tempfile
import unittest

CLI = pathlib.Path(sys.argv[1]).resolve()
PACKAGE = pathlib.Path(sys.argv[2])
READMES = [pathlib.Path(arg) for arg in sys.argv[3:]]
# The locale's decimal separator is ".", as on a Chinese or English Windows.
ENV = {**os.environ, "LC_ALL": "C", "LANG": "C"}
WINGET_OPTIONS = {"--scope", "--installer-type", "--manifest", "--enable", "--token"}
OPTION = re.compile(r"(?<![\w-])--[a-z][a-z0-9-]*")
CLI_NAMES = ("pumpcalc-cli", "tools/run-cli")

help_text = subprocess.run([CLI, "--help"], capture_output=True, text=True, env=ENV).stdout
CLI_OPTIONS = set(OPTION.findall(help_text))
# The options of tools/package's argument loop, but those that it refuses.
PACKAGE_OPTIONS = set(re.findall(r"^\s+((?:--[a-z0-9-]+)(?: \| --[a-z0-9-]+)*)\)(?!\s*fail)",
                                 PACKAGE.read_text(), re.MULTILINE))
PACKAGE_OPTIONS = {option for group in PACKAGE_OPTIONS for option in group.split(" | ")}


def blocks(text):
    """The fenced code blocks: (the words after the fence, their lines joined)."""
    for match in re.finditer(r"^```([^\n]*)\n(.*?)^```$", text, re.MULTILINE | re.DOTALL):
        words = match[1].split()
        yield words[1:] if words else [], match[2]


def commands(block):
    """The block's command lines, with continuations (\\ or ^ at the end) joined."""
    return re.sub(r"[\\^]\n\s*", " ", block).splitlines()


class ReadmeExamples(unittest.TestCase):
    def check_options(self, line, allowed, where):
        for option in OPTION.findall(line):
            self.assertIn(option, allowed, f"{where}: {line}")

    def run_command(self, line, folder):
        words = shlex.split(line)
        stdin = stdout = None
        if "<" in words:
            stdin = words.pop(words.index("<") + 1)
            words.remove("<")
        if ">" in words:
            stdout = words.pop(words.index(">") + 1)
            words.remove(">")
        with open(folder / stdin, "rb") if stdin else open(os.devnull, "rb") as source:
            result = subprocess.run([CLI] + words[1:], stdin=source, capture_output=True,
                                    cwd=folder, env=ENV)
        if stdout:
            (folder / stdout).write_bytes(result.stdout)
        return result

    def test_examples(self):
        for readme in READMES:
            text = readme.read_text(encoding="utf-8")
            with tempfile.TemporaryDirectory() as work:
                folder = pathlib.Path(work)
                command, result, checked = None, None, 0
                for attributes, content in blocks(text):
                    marks = dict(a.split("=", 1) for a in attributes if "=" in a)
                    encoding = marks.get("encoding", "utf-8")
                    if "file" in marks:
                        (folder / marks["file"]).write_bytes(content.encode(encoding))
                    elif "output" in marks:
                        with self.subTest(readme=readme.name, output=marks["output"]):
                            self.assertIsNotNone(command, "an output without a command")
                            result = self.run_command(command, folder)
                            got = {"-": result.stdout, "stderr": result.stderr}.get(
                                marks["output"]) or (folder / marks["output"]).read_bytes()
                            self.assertEqual(got.decode(encoding), content, command)
                            self.assertEqual(result.returncode, int(marks.get("exit", 0)), command)
                            checked += 1
                    else:
                        for line in commands(content):
                            if line.startswith(CLI_NAMES):
                                self.check_options(line, CLI_OPTIONS, readme.name)
                                command = line
                self.assertGreater(checked, 0, f"{readme.name} shows no output to check")

    def test_options_in_the_text(self):
        for readme in READMES:
            text = readme.read_text(encoding="utf-8")
            text = re.sub(r"^```.*?^```$", "", text, flags=re.MULTILINE | re.DOTALL)
            for span in re.findall(r"`([^`\n]+)`", text):
                with self.subTest(readme=readme.name, span=span):
                    if span.startswith(CLI_NAMES):
                        self.check_options(span, CLI_OPTIONS, readme.name)
                    elif span.startswith("tools/package"):
                        self.check_options(span, PACKAGE_OPTIONS, readme.name)
                    elif span.startswith("--"):
                        self.check_options(span, CLI_OPTIONS | PACKAGE_OPTIONS | WINGET_OPTIONS,
                                           readme.name)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
