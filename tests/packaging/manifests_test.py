#!/usr/bin/env python3
"""The package managers' manifests of a release, as their repositories check them.

  manifests_test.py SOURCE_DIR BUILD_DIR WORK_DIR

Makes the release of the finished windows build BUILD_DIR with tools/package --release-url
into WORK_DIR and checks that the winget manifests (schema 1.12.0) and the Scoop manifest
parse, hold every required field, name the release's files with their SHA256SUMS lines, one
version and the build's date, and give the installer only switches that it takes; and that
the Scoop manifest keeps Scoop's schema and the Extras bucket's conventions.
"""
import datetime
import json
import pathlib
import re
import shutil
import subprocess
import sys
import unittest

import yaml

SOURCE, BUILD, WORK = (pathlib.Path(arg).resolve() for arg in sys.argv[1:4])
RELEASE_URL = "https://example.org/pumpcalc/releases/0.1"
SCHEMA = "1.12.0"
IDENTIFIER = "pumpcalc.pumpcalc"
# The required fields of the winget schemas, by manifest type.
WINGET_REQUIRED = {
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
                "ManifestVersion"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher",
                      "PackageName", "License", "ShortDescription", "ManifestType",
                      "ManifestVersion"],
    "locale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "ManifestType",
               "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType",
                  "ManifestVersion"],
}
INSTALLER_REQUIRED = ["Architecture", "InstallerType", "InstallerUrl", "InstallerSha256"]
# Scoop's manifest schema (schema.json of ScoopInstaller/Scoop): the properties that each
# object may have, and those that the manifest must have.
SCOOP_SCHEMA = {
    "manifest": {"##", "$schema", "_comment", "architecture", "autoupdate", "bin", "checkver",
                 "cookie", "depends", "description", "env_add_path", "env_set", "extract_dir",
                 "extract_to", "hash", "homepage", "innosetup", "installer", "license", "msi",
                 "notes", "persist", "post_install", "post_uninstall", "pre_install",
                 "pre_uninstall", "psmodule", "shortcuts", "suggest", "uninstaller", "url",
                 "version"},
    "architecture": {"32bit", "64bit", "arm64"},
    "architecture.64bit": {"bin", "checkver", "env_add_path", "env_set", "extract_dir", "hash",
                           "installer", "msi", "post_install", "post_uninstall", "pre_install",
                           "pre_uninstall", "shortcuts", "uninstaller", "url"},
    "autoupdate": {"architecture", "bin", "env_add_path", "env_set", "extract_dir", "hash",
                   "installer", "license", "notes", "persist", "psmodule", "shortcuts", "url"},
    "autoupdate.architecture": {"32bit", "64bit", "arm64"},
    "autoupdate.architecture.64bit": {"bin", "env_add_path", "env_set", "extract_dir", "hash",
                                      "installer", "shortcuts", "url"},
    "autoupdate.hash": {"find", "regex", "jp", "jsonpath", "xpath", "mode", "type", "url"},
    "checkver": {"github", "re", "regex", "url", "jp", "jsonpath", "xpath", "reverse", "replace",
                 "useragent", "script", "sourceforge"},
}
SCOOP_REQUIRED = ["version", "homepage", "license"]
# The order of fields that the Extras bucket's contributing guide asks for; architecture
# stands where url and hash would.
SCOOP_ORDER = ["version", "description", "homepage", "license", "notes", "depends", "suggest",
               "url", "hash", "architecture", "extract_dir", "extract_to", "pre_install",
               "installer", "post_install", "env_add_path", "env_set", "bin", "shortcuts",
               "persist", "pre_uninstall", "uninstaller", "post_uninstall", "checkver",
               "autoupdate"]


def scoop_objects(manifest):
    """(path, object) of every object of the manifest that SCOOP_SCHEMA names."""
    for path in SCOOP_SCHEMA:
        value = manifest
        for key in filter(None, path.removeprefix("manifest").split(".")):
            value = value.get(key) if isinstance(value, dict) else None
        if isinstance(value, dict):
            yield path, value


def one_item_arrays(value, path=""):
    """The paths of the arrays of one item, outside shortcuts (an array of arrays)."""
    if isinstance(value, dict):
        for key, item in value.items():
            yield from one_item_arrays(item, f"{path}.{key}")
    elif isinstance(value, list) and path != ".shortcuts":
        if len(value) == 1:
            yield path
        for item in value:
            yield from one_item_arrays(item, path)


class Manifests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(WORK, ignore_errors=True)
        subprocess.run([SOURCE / "tools/package", "--build-dir", BUILD, "--out", WORK,
                        "--release-url", RELEASE_URL, "--homepage", "https://example.org/pumpcalc"],
                       check=True, stdout=subprocess.DEVNULL)
        cls.sums = {}
        for line in (WORK / "SHA256SUMS").read_text().splitlines():
            digest, name = line.split("  ")
            cls.sums[name] = digest
        cls.version = re.fullmatch(r"pumpcalc-(.+)-win64\.zip",
                                   next(n for n in cls.sums if n.endswith(".zip")))[1]
        cls.winget = {}
        for path in sorted((WORK / "winget").iterdir()):
            text = path.read_text(encoding="utf-8")
            cls.winget[path.name] = (text, yaml.safe_load(text))
        cls.scoop_text = (WORK / "scoop/pumpcalc.json").read_text(encoding="utf-8")
        cls.scoop = json.loads(cls.scoop_text)
        epoch = int((BUILD / "packaging/source_date_epoch.txt").read_text())
        cls.date = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc).date().isoformat()

    def test_winget_files_have_their_schema_and_required_fields(self):
        kinds = {}
        for name, (text, manifest) in self.winget.items():
            kind = manifest["ManifestType"]
            kinds.setdefault(kind, []).append(manifest)
            with self.subTest(name):
                self.assertTrue(text.startswith(f"# yaml-language-server: $schema=https://aka.ms/"
                                                f"winget-manifest.{kind}.{SCHEMA}.schema.json\n"))
                for field in WINGET_REQUIRED[kind]:
                    self.assertTrue(manifest.get(field), field)
                self.assertEqual(manifest["ManifestVersion"], SCHEMA)
                self.assertEqual(manifest["PackageIdentifier"], IDENTIFIER)
                self.assertEqual(manifest["PackageVersion"], self.version)
                self.assertEqual(name, IDENTIFIER + {"version": "", "installer": ".installer"}.get(
                    kind, f".locale.{manifest.get('PackageLocale')}") + ".yaml")
        self.assertEqual(sorted(kinds), sorted(WINGET_REQUIRED))
        self.assertEqual(kinds["version"][0]["DefaultLocale"], kinds["defaultLocale"][0]["PackageLocale"])
        locales = {m["PackageLocale"] for m in kinds["defaultLocale"] + kinds["locale"]}
        self.assertEqual(locales, {"en-US", "zh-CN"})
        for manifest in kinds["defaultLocale"] + kinds["locale"]:
            for field in ("Publisher", "PackageName", "ShortDescription", "License"):
                self.assertTrue(manifest.get(field), field)

    def test_winget_installers_are_the_release_files(self):
        manifest = self.winget[f"{IDENTIFIER}.installer.yaml"][1]
        self.assertEqual(manifest["ReleaseDate"], self.date)
        installers = manifest["Installers"]
        # /S and /D= are NSIS's own; the others, those that the script reads.
        nsi = (SOURCE / "packaging/installer.nsi").read_text(encoding="utf-8")
        switches = {"/S", "/D=<INSTALLPATH>"} | set(re.findall(r'GetOptions\} \$\d "(/\w+)"', nsi))
        scopes = set()
        for entry in installers:
            with self.subTest(entry.get("Scope", entry["InstallerType"])):
                for field in INSTALLER_REQUIRED:
                    self.assertTrue(entry.get(field), field)
                file = entry["InstallerUrl"].rsplit("/", 1)[1]
                self.assertEqual(entry["InstallerUrl"], f"{RELEASE_URL}/{file}")
                self.assertEqual(entry["InstallerSha256"].lower(), self.sums[file])
                if entry["InstallerType"] == "nullsoft":
                    self.assertTrue(file.endswith("-setup.exe"))
                    scopes.add(entry["Scope"])
                    for switch in " ".join(entry["InstallerSwitches"].values()).split():
                        self.assertIn(switch, switches)
                    self.assertTrue(entry["InstallerSwitches"]["InstallLocation"].startswith("/D="))
                else:
                    self.assertEqual((entry["InstallerType"], entry["NestedInstallerType"]),
                                     ("zip", "portable"))
                    self.assertIn({"RelativeFilePath": "pumpcalc-cli.exe",
                                   "PortableCommandAlias": "pumpcalc-cli"},
                                  entry["NestedInstallerFiles"])
        self.assertEqual(scopes, {"user", "machine"})
        self.assertEqual(len(installers), 3)

    def test_scoop_manifest_keeps_the_schema_and_the_extras_conventions(self):
        scoop = self.scoop
        for field in SCOOP_REQUIRED:
            self.assertTrue(scoop.get(field), field)
        for path, value in scoop_objects(scoop):
            self.assertLessEqual(set(value), SCOOP_SCHEMA[path], path)
        self.assertRegex(scoop["version"], r"^[\w.\-+]+$")
        for shortcut in scoop["shortcuts"]:
            self.assertTrue(2 <= len(shortcut) <= 4 and all(isinstance(s, str) for s in shortcut))
        # A 64-bit-only download: its URL and hash under architecture.64bit, nowhere else.
        self.assertEqual(set(scoop["architecture"]), {"64bit"})
        download = scoop["architecture"]["64bit"]
        self.assertRegex(download["url"], r"^https?://[^$]+$")
        self.assertRegex(download["hash"], r"^[0-9a-f]{64}$")
        self.assertNotIn("url", scoop)
        self.assertNotIn("hash", scoop)
        self.assertEqual(set(scoop["autoupdate"]["architecture"]), {"64bit"})
        self.assertNotIn("url", scoop["autoupdate"])
        # The contributing guide: the order of fields, 4 blanks of indentation, an array of one
        # item written as the item, the command-line program in bin, the window in shortcuts.
        self.assertEqual(list(scoop), sorted(scoop, key=SCOOP_ORDER.index))
        self.assertEqual(self.scoop_text, json.dumps(scoop, indent=4, ensure_ascii=False) + "\n")
        self.assertEqual(list(one_item_arrays(scoop)), [])
        self.assertEqual(scoop["bin"], "pumpcalc-cli.exe")
        self.assertEqual([shortcut[0] for shortcut in scoop["shortcuts"]], ["pumpcalc.exe"])
        self.assertEqual(scoop["license"], "MIT")  # SPDX: the LICENSE file's
        self.assertTrue((SOURCE / "LICENSE").read_text().startswith("MIT License"))

    def test_scoop_manifest_names_the_release(self):
        scoop = self.scoop
        zip_name = f"pumpcalc-{self.version}-win64.zip"
        download = scoop["architecture"]["64bit"]
        self.assertEqual(scoop["version"], self.version)
        self.assertEqual(download["url"], f"{RELEASE_URL}/{zip_name}")
        self.assertEqual(download["hash"], self.sums[zip_name])
        later = scoop["autoupdate"]["architecture"]["64bit"]["url"]
        self.assertEqual(later.replace("$version", self.version), download["url"])
        self.assertIn("SHA256SUMS", scoop["autoupdate"]["hash"]["url"])
        self.assertRegex(zip_name, scoop["checkver"]["regex"])

if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
