#!/usr/bin/env python3
"""Writes the package managers' manifests for a release folder that tools/package made.

  manifests.py --settings BUILD/packaging/release-settings.cmake --release-dir DIR
               --release-url URL --homepage URL

DIR holds pumpcalc-VERSION-win64.zip and pumpcalc-VERSION-win64-setup.exe; URL is the folder
where they will be published. Written into DIR:
  winget/pumpcalc.pumpcalc.yaml                 the version manifest,
  winget/pumpcalc.pumpcalc.locale.en-US.yaml    the default locale,
  winget/pumpcalc.pumpcalc.locale.zh-CN.yaml    the Chinese locale,
  winget/pumpcalc.pumpcalc.installer.yaml       the installer for both scopes and the ZIP,
  scoop/pumpcalc.json                           the Scoop manifest of the ZIP.
Versions, file names, SHA-256 values and the release date (the build's date, as the files in
the ZIP carry it) are taken from the settings and the files. The Scoop manifest is in the
form the Extras bucket asks for: a 64-bit-only download under architecture.64bit.
"""
import argparse
import datetime
import hashlib
import json
import pathlib
import re

import yaml

# The manifest schema that the winget community repository accepts.
WINGET_SCHEMA = "1.12.0"
IDENTIFIER = "pumpcalc.pumpcalc"
LICENSE = "MIT"  # SPDX, the LICENSE file's
DISPLAY_NAME = "pumpcalc 泵功率的计算"  # the installer's uninstall entry

LOCALES = {
    "en-US": {
        "Publisher": None,  # the build's publisher
        "PackageName": "pumpcalc",
        "ShortDescription": "Pump shaft power and the motor power to pair with it, from flow, "
        "head and efficiency.",
        "Description": "pumpcalc computes a pump's shaft power N = Q × H ÷ (367.2 × η × 0.01) kW "
        "from the flow rate in m³/h, the head in m and the efficiency in per cent, and the "
        "range of motor power to pair with it (1.1 N to 1.2 N), exact to the last printed digit. "
        "A calculator window in Chinese and a command-line program, pumpcalc-cli, for single "
        "pumps and whole pump schedules (TSV or CSV).",
    },
    "zh-CN": {
        "Publisher": "pumpcalc 贡献者",
        "PackageName": "pumpcalc 泵功率的计算",
        "ShortDescription": "由流量、扬程和效率计算泵的轴功率及配套电机功率的范围。",
        "Description": "pumpcalc 由流量 Q（m³/h）、扬程 H（m）和效率 η（%）计算泵的轴功率 "
        "N = Q × H ÷ (367.2 × η × 0.01) kW，以及配套电机功率的范围（1.1 N 至 1.2 N），"
        "打印出的每一位数字都准确。包括中文计算窗口和命令行程序 pumpcalc-cli，"
        "可计算单台泵，也可计算整张泵表（TSV 或 CSV）。",
    },
}


def read_settings(path):
    """The values of release-settings.cmake: set(NAME [==[value]==]) lines."""
    text = pathlib.Path(path).read_text(encoding="utf-8")
    return dict(re.findall(r"^set\((\w+) \[==\[(.*)\]==\]\)$", text, re.MULTILINE))


def release_date(settings):
    """The build's date, YYYY-MM-DD in UTC: the time in seconds that its EPOCH_FILE holds."""
    seconds = int(pathlib.Path(settings["EPOCH_FILE"]).read_text().strip())
    return datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc).date().isoformat()


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest().upper()


def write_yaml(path, kind, manifest):
    header = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{WINGET_SCHEMA}.schema.json\n\n"
    body = yaml.safe_dump(manifest, allow_unicode=True, sort_keys=False, width=1000)
    path.write_text(header + body, encoding="utf-8")


def winget_manifests(folder, version, publisher, copyright_, homepage, date, installer, archive):
    """installer and archive: (URL, SHA-256) of the setup program and of the ZIP; date: the
    release date, YYYY-MM-DD."""
    common = {"PackageIdentifier": IDENTIFIER, "PackageVersion": version}

    def write(suffix, kind, fields):
        write_yaml(folder / f"{IDENTIFIER}{suffix}.yaml", kind,
                   {**common, **fields, "ManifestType": kind, "ManifestVersion": WINGET_SCHEMA})

    write("", "version", {"DefaultLocale": "en-US"})
    for locale, texts in LOCALES.items():
        kind = "defaultLocale" if locale == "en-US" else "locale"
        fields = {"PackageLocale": locale, "Publisher": texts["Publisher"] or publisher,
                  "PackageName": texts["PackageName"], "PackageUrl": homepage,
                  "License": LICENSE, "Copyright": copyright_,
                  "ShortDescription": texts["ShortDescription"],
                  "Description": texts["Description"]}
        if kind == "defaultLocale":
            fields["Moniker"] = "pumpcalc"
        write(f".locale.{locale}", kind, fields)

    # The installer's own switches: /S silent, /CurrentUser or /AllUsers the scope, /D= the
    # folder, which must come last (winget puts InstallLocation after Custom).
    def nullsoft(scope, switch):
        entry = {"Architecture": "x64", "InstallerType": "nullsoft", "Scope": scope,
                 "InstallerUrl": installer[0], "InstallerSha256": installer[1],
                 "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S",
                                       "InstallLocation": "/D=<INSTALLPATH>", "Custom": switch},
                 "UpgradeBehavior": "install",
                 "AppsAndFeaturesEntries": [{"DisplayName": DISPLAY_NAME, "Publisher": publisher,
                                             "DisplayVersion": version}]}
        if scope == "machine":
            # Without elevation, /AllUsers stops with exit code 740.
            entry["ElevationRequirement"] = "elevationRequired"
        return entry

    portable = {"Architecture": "x64", "InstallerType": "zip", "NestedInstallerType": "portable",
                "NestedInstallerFiles": [{"RelativeFilePath": "pumpcalc-cli.exe",
                                          "PortableCommandAlias": "pumpcalc-cli"}],
                "InstallerUrl": archive[0], "InstallerSha256": archive[1]}
    write(".installer", "installer",
          {"ReleaseDate": date,
           "Installers": [nullsoft("user", "/CurrentUser"), nullsoft("machine", "/AllUsers"),
                          portable]})


def scoop_manifest(path, version, homepage, release_url, archive):
    # A later version's release folder: this one's with the path segment of the version
    # number ("0.1" or "v0.1") replaced.
    later = re.sub(rf"(?<=/)(v?){re.escape(version)}(?=/|$)", r"\1$version", release_url)
    if re.fullmatch(r"https://github\.com/[^/]+/[^/]+/?", homepage):
        checkver = "github"
    else:
        checkver = {"url": homepage, "regex": r"pumpcalc-([\d.]+)-win64\.zip"}
    # The fields in the order of the bucket's contributing guide; the download is 64-bit
    # only, so its URL and hash go under architecture, as the guide asks.
    manifest = {
        "version": version,
        "description": LOCALES["en-US"]["ShortDescription"],
        "homepage": homepage,
        "license": LICENSE,
        "architecture": {"64bit": {"url": archive[0], "hash": archive[1].lower()}},
        "bin": "pumpcalc-cli.exe",
        "shortcuts": [["pumpcalc.exe", "泵功率的计算"]],
        "checkver": checkver,
        "autoupdate": {"architecture": {"64bit": {"url": f"{later}/pumpcalc-$version-win64.zip"}},
                       "hash": {"url": "$baseurl/SHA256SUMS"}},
    }
    path.write_text(json.dumps(manifest, indent=4, ensure_ascii=False) + "\n", encoding="utf-8")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--settings", required=True)
    parser.add_argument("--release-dir", required=True, type=pathlib.Path)
    parser.add_argument("--release-url", required=True)
    parser.add_argument("--homepage", required=True)
    args = parser.parse_args()

    settings = read_settings(args.settings)
    version, name, publisher = settings["VERSION"], settings["NAME"], settings["PUBLISHER"]
    release_url = args.release_url.rstrip("/")
    published = {}
    for file in (f"{name}-setup.exe", f"{name}.zip"):
        published[file] = (f"{release_url}/{file}", sha256(args.release_dir / file))

    for folder in ("winget", "scoop"):
        (args.release_dir / folder).mkdir(exist_ok=True)
    winget_manifests(args.release_dir / "winget", version, publisher, settings["COPYRIGHT"],
                     args.homepage, release_date(settings), published[f"{name}-setup.exe"],
                     published[f"{name}.zip"])
    scoop_manifest(args.release_dir / "scoop" / "pumpcalc.json", version, args.homepage,
                   release_url, published[f"{name}.zip"])


if __name__ == "__main__":
    main()
