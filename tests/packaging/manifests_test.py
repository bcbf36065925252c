#!/usr/bin/env python3
"""The package managers' manifests of a release, as their repositories check them.

  manifests_test.py SOURCE_DIR BUILD_DIR WORK_DIR

Makes the release of the finished windows build BUILD_DIR with tools/package --release-url
into WORK_DIR and checks that the winget manifests (schema 1.12.0) and the Scoop manifest
parse, hold every required field, name the release's files with their SHA256SUMS lines and
one version, and give the installer only switches that it takes.
"""
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
# The Scoop wiki's required fields, and those that this release uses; the schema allows no
# other top-level properties than these and a few more.
SCOOP_REQUIRED = ["version", "description", "homepage", "license", "url", "hash", "bin",
                  "shortcuts", "checkver", "autoupdate"]
SCOOP_ALLOWED = set(SCOOP_REQUIRED) | {"##", "architecture", "depends", "env_add_path",
                                       "env_set", "extract_dir", "notes", "persist", "suggest"}


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
        cls.scoop = json.loads((WORK / "scoop/pumpcalc.json").read_text(encoding="utf-8"))

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
        installers = self.winget[f"{IDENTIFIER}.installer.yaml"][1]["Installers"]
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

    def test_scoop_manifest(self):
        scoop = self.scoop
        for field in SCOOP_REQUIRED:
            self.assertTrue(scoop.get(field), field)
        self.assertLessEqual(set(scoop), SCOOP_ALLOWED)
        zip_name = f"pumpcalc-{self.version}-win64.zip"
        self.assertEqual(scoop["version"], self.version)
        self.assertEqual(scoop["url"], f"{RELEASE_URL}/{zip_name}")
        self.assertEqual(scoop["hash"], self.sums[zip_name])
        self.assertEqual(scoop["bin"], "pumpcalc-cli.exe")
        self.assertEqual(scoop["shortcuts"][0][0], "pumpcalc.exe")
        # The LICENSE file's license, by its SPDX identifier.
        self.assertEqual(scoop["license"], "MIT")
        self.assertTrue((SOURCE / "LICENSE").read_text().startswith("MIT License"))
        autoupdate = scoop["autoupdate"]["url"]
        self.assertEqual(autoupdate.replace("$version", self.version), scoop["url"])
        self.assertIn("SHA256SUMS", scoop["autoupdate"]["hash"]["url"])
        self.assertRegex(zip_name, scoop["checkver"]["regex"])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
