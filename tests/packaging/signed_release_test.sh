#!/usr/bin/env bash
# A release signed with a throwaway key: a self-signed code-signing certificate made here.
#   signed_release_test.sh SOURCE_DIR BUILD_DIR INSTALLER_TEST INSTALLER_PATH WORK_DIR
# BUILD_DIR is a finished windows build; INSTALLER_TEST its installer_e2e_tests.exe, which
# finds the installer at INSTALLER_PATH relative to itself. Checks that
#  - every signed file verifies against the certificate, and SHA256SUMS covers them;
#  - without their signatures the programs are the unsigned build's bytes, and the ZIP holds
#    the unsigned ZIP's files;
#  - a wrong password or a missing key stops tools/package with a clear message, a non-zero
#    exit code and no release written;
#  - a key on a PKCS#11 token (SoftHSM) signs as well;
#  - the signed installer installs silently under Wine, the installed calculator computes
#    100/50/80, and the installed uninstaller is signed.
set -uo pipefail
source_dir=$1 build_dir=$2 installer_test=$3 installer_path=$4 work=$5
failures=0
check() {  # check NAME COMMAND...: runs the command, reports ok or FAIL
  local name=$1
  shift
  if "$@"; then
    echo "ok   $name"
  else
    echo "FAIL $name"
    failures=$((failures + 1))
    return 1
  fi
}
logged() {  # logged LOG COMMAND...: the command's output goes to LOG, shown when it fails
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { cat "$log"; false; }
}
verifies() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1; }
unsigned_is() {  # unsigned_is SIGNED UNSIGNED: SIGNED without its signature is UNSIGNED
  rm -f "$work/stripped"
  osslsigncode remove-signature -in "$1" -out "$work/stripped" >/dev/null 2>&1 &&
    cmp -s "$work/stripped" "$2"
}

rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
export PUMPCALC_SIGN_PASSWORD="throwaway password"
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=pumpcalc test signer" -addext "keyUsage=critical,digitalSignature" \
  -addext "extendedKeyUsage=codeSigning" 2>/dev/null &&
  openssl pkcs12 -export -inkey key.pem -in cert.pem -out key.p12 \
    -passout env:PUMPCALC_SIGN_PASSWORD || exit 1

package() { "$source_dir/tools/package" --build-dir "$build_dir" --homepage https://example.org/pumpcalc "$@"; }
check "package --sign --pkcs12" logged package.log package --out release --sign --pkcs12 key.p12
name=$(sed -n 's/^set(NAME \[==\[\(.*\)\]==\])$/\1/p' "$build_dir/packaging/release-settings.cmake")
check "SHA256SUMS of the signed files" bash -c 'cd release && sha256sum --quiet -c SHA256SUMS'

mkdir zip unsigned-zip
unzip -q "release/$name.zip" -d zip && unzip -q "$build_dir/package/$name.zip" -d unsigned-zip
check "the ZIP's files in the unsigned ZIP's order" \
  cmp -s <(unzip -Z1 "release/$name.zip") <(unzip -Z1 "$build_dir/package/$name.zip")
for file in "release/$name-setup.exe" zip/pumpcalc.exe zip/pumpcalc-cli.exe; do
  check "$file verifies" verifies "$file"
done
for program in pumpcalc.exe pumpcalc-cli.exe; do
  check "$program without its signature is the unsigned build's" \
    unsigned_is "zip/$program" "$build_dir/bin/$program"
done
for text in README.txt LICENSE; do
  check "$text as in the unsigned ZIP" cmp -s "zip/$text" "unsigned-zip/$text"
done

# Failures: the message names the cause, the exit code is not 0, and the release folder is
# as it was (here: one file of an earlier release), with no partial release beside it.
failed_cleanly() {  # failed_cleanly PATTERN [ENV=VALUE...] -- PACKAGE ARGS...
  local pattern=$1 environment=()
  shift
  while [[ $1 != -- ]]; do environment+=("$1"); shift; done
  shift
  mkdir -p failed && touch failed/stale-file
  if env "${environment[@]}" "$source_dir/tools/package" --build-dir "$build_dir" \
       --homepage https://example.org/pumpcalc --out failed "$@" >failed.log 2>&1 ||
     ! grep -q "$pattern" failed.log || [[ $(ls failed) != stale-file || -e failed.partial ]]; then
    cat failed.log
    return 1
  fi
}
check "a wrong password stops the release" \
  failed_cleanly "Wrong password" PUMPCALC_SIGN_PASSWORD=wrong -- --pkcs12 key.p12
check "a missing key file stops the release" \
  failed_cleanly "key file .*missing.p12' does not exist" -- --pkcs12 missing.p12
check "a password on the command line is refused" \
  failed_cleanly "use --password-file" -- --pkcs12 key.p12 --password secret

# The same key on a token, through SoftHSM's PKCS#11 module.
module=/usr/lib/softhsm/libsofthsm2.so
if [[ -f $module ]] && command -v softhsm2-util >/dev/null; then
  mkdir tokens
  printf 'directories.tokendir = %s/tokens\nobjectstore.backend = file\n' "$work" >softhsm2.conf
  export SOFTHSM2_CONF=$work/softhsm2.conf
  softhsm2-util --init-token --free --label release --pin 4321 --so-pin 87654321 >/dev/null &&
    softhsm2-util --import key.pem --token release --label signing --id 01 --pin 4321 >/dev/null
  cp "$build_dir/bin/pumpcalc-cli.exe" token-signed.exe
  check "a key on a PKCS#11 token signs" env PUMPCALC_SIGN_PASSWORD=4321 \
    PUMPCALC_SIGN_PKCS11_MODULE=$module PUMPCALC_SIGN_CERT=cert.pem \
    PUMPCALC_SIGN_KEY="pkcs11:token=release;object=signing;type=private" \
    "$source_dir/tools/sign-file" token-signed.exe
  check "token-signed.exe verifies" verifies token-signed.exe
else
  echo "skip the PKCS#11 token: SoftHSM is not installed (tools/install-deps)"
fi

# Under Wine: the installer test, beside the signed programs (which the installed ones must
# equal) and with the signed installer where it looks for it.
mkdir -p wine/bin
cp "$installer_test" zip/pumpcalc.exe zip/pumpcalc-cli.exe wine/bin/
mkdir -p "$(dirname "wine/bin/$installer_path")"
cp "release/$name-setup.exe" "wine/bin/$installer_path"
windows_path=Z:${work//\//\\}
check "the signed installer installs, computes 100/50/80 and uninstalls" logged wine.log \
  env PUMPCALC_KEEP_UNINSTALLER="$windows_path\\uninstall.exe" \
  WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
  "$source_dir/tools/wine-run" --prefix "$build_dir/wineprefix" \
  "wine/bin/$(basename "$installer_test")" --gtest_filter='Installer.PerUser*'
check "the installed uninstall.exe verifies" verifies uninstall.exe

[[ $failures -eq 0 ]] || { echo "$failures checks failed"; exit 1; }
cd / && rm -rf "$work"
