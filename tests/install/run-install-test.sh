#!/usr/bin/env bash
# Checks what scripts/package left in dist/: the checksums, the zip's files, the manifests
# against their schemas, the same bytes from a second packaging after a relink, a package
# signed with a throwaway certificate; then install, upgrade and uninstall in a fresh copy of
# the Wine template (install_tests.exe does those), and what the signed setup installs.
# scripts/test gives the display and the template.
#   run-install-test.sh INSTALL_TESTS_EXE VERSION_ENV
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tests_exe=$1
# shellcheck disable=SC1090
source "$2"
name=Tarvo2000-$TARVO_PACKAGE_VERSION-win64
dist=$root/dist
schemas=${TARVO_SCHEMAS:-$root/../shared/schemas}

fail() {
    echo "install test: $*" >&2
    exit 1
}
passed() {
    echo "install test: ok: $*"
}

(cd "$dist" && sha256sum --check --strict --quiet SHA256SUMS) || fail "SHA256SUMS does not match dist/"
[[ "$(cut -d' ' -f3 "$dist/SHA256SUMS" | sort)" == "$(printf '%s\n' "$name-setup.exe" "$name.zip")" ]] ||
    fail "SHA256SUMS lists $(cut -d' ' -f3 "$dist/SHA256SUMS" | tr '\n' ' ')"
listing=$(unzip -Z1 "$dist/$name.zip")
[[ "$listing" == $'Tarvo.exe\nREADME.txt\nLICENSE' ]] || fail "the zip holds: $(tr '\n' ' ' <<<"$listing")"
unzip -p "$dist/$name.zip" LICENSE | tr -d '\r' | cmp -s - "$root/LICENSE" || fail "the zip's LICENSE differs"
unzip -p "$dist/$name.zip" README.txt | grep -q "Version $TARVO_PACKAGE_VERSION" ||
    fail "the zip's README.txt does not name version $TARVO_PACKAGE_VERSION"
size=$(unzip -Z -l "$dist/$name.zip" Tarvo.exe | awk 'NR == 1 { print $4 }')
((size <= 1048576)) || fail "Tarvo.exe has $size bytes, more than 1 MiB: is it stripped?"
grep -aqE '<dpiAware[^>]*>true</dpiAware>' "$dist/$name-setup.exe" || fail "the setup's manifest does not make it DPI-aware"
passed "checksums, the zip's files, Tarvo.exe of $size bytes, a DPI-aware setup"

# Debian's python3, which has python3-jsonschema and python3-yaml.
[[ -d $schemas ]] || fail "no manifest schemas in $schemas (set TARVO_SCHEMAS)"
/usr/bin/python3 "$root/tests/install/check-manifests.py" "$dist" "$schemas" || fail "the manifests are not right"
passed "the winget and Scoop manifests validate and give the packages' checksums"

# No release without its notes: the section of this version is there, others are not.
"$root/scripts/lib/changelog-section" "$TARVO_PACKAGE_VERSION" >/dev/null ||
    fail "CHANGELOG.md has no notes for $TARVO_PACKAGE_VERSION"
if "$root/scripts/lib/changelog-section" 0.0.0 2>/dev/null; then
    fail "a version without a CHANGELOG.md section was taken"
fi
passed "CHANGELOG.md has notes for $TARVO_PACKAGE_VERSION and none for 0.0.0"

work=$(mktemp -d)
# shellcheck source=scripts/lib/wine-env.sh
source "$root/scripts/lib/wine-env.sh"
wine_env_traps
trap 'wine_env_stop; rm -rf "$work"' EXIT

# The same commit packages to the same bytes, however much later and after a new link.
rm "$(dirname "$2")/../Tarvo.exe"  # the tree's generated/version.env names the tree
TARVO_DIST=$work/again "$root/scripts/package" >/dev/null 2>&1 || fail "packaging again failed"
diff "$dist/SHA256SUMS" "$work/again/SHA256SUMS" >&2 || fail "a second packaging after a relink gave other bytes"
passed "a second packaging after a relink gave the same SHA256SUMS"

# Signed with a throwaway self-signed code-signing certificate: everything verifies against it,
# and a changed byte does not. A wrong password stops the packaging.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarvo2000 test signer" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
echo "test password" >"$work/password"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout "file:$work/password" \
    -out "$work/signer.pfx"
export TARVO_SIGN_PFX=$work/signer.pfx TARVO_SIGN_PASSWORD_FILE=$work/password
echo "wrong" >"$work/wrong-password"
if TARVO_SIGN_PASSWORD_FILE=$work/wrong-password TARVO_DIST=$work/wrong "$root/scripts/package" >/dev/null 2>"$work/log"; then
    fail "packaging with a wrong password succeeded"
fi
grep -q "could not sign" "$work/log" || fail "a wrong password stopped the packaging without saying why"
TARVO_DIST=$work/signed "$root/scripts/package" >/dev/null 2>&1 || fail "signed packaging failed"
unset TARVO_SIGN_PFX TARVO_SIGN_PASSWORD_FILE
verify() {
    osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/log" 2>&1
}
unzip -q "$work/signed/$name.zip" Tarvo.exe -d "$work/signed-zip"
for file in "$work/signed/$name-setup.exe" "$work/signed-zip/Tarvo.exe"; do
    verify "$file" || fail "${file##*/}: $(cat "$work/log")"
done
cp "$work/signed-zip/Tarvo.exe" "$work/changed.exe"
printf 'X' | dd of="$work/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
if verify "$work/changed.exe"; then
    fail "a changed Tarvo.exe still verifies"
fi
/usr/bin/python3 "$root/tests/install/check-manifests.py" "$work/signed" "$schemas" ||
    fail "the manifests of the signed package are not right"
passed "a wrong password stops a signed packaging; the signed setup and Tarvo.exe verify, a changed one does not"

# An older release, as the same files packaged with a lower version.
# shellcheck source=scripts/lib/installer.sh
source "$root/scripts/lib/installer.sh"
older=${TARVO_PACKAGE_VERSION%.*}.$((${TARVO_PACKAGE_VERSION##*.} - 1))
mkdir -p "$work/older"
unzip -q "$dist/$name.zip" Tarvo.exe LICENSE -d "$work/older"
make_installer "${TARVO_VERSION%.*}.$((${TARVO_VERSION##*.} - 1))" "$older" "$work/older" "$work/older-setup.exe"

unzip -q "$dist/$name.zip" Tarvo.exe -d "$work"
# The Start-menu shortcut must not become a menu entry of the Linux user running the test.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
wine_env_start_prefix "${TARVO_WINE_TEMPLATE:-$root/build/wine-template}" "$root/build/wine-install"
# Windows 10 1903, the oldest the setup takes: Debian's Wine reports Windows 7 unless told.
wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
TARVO_SETUP=$(windows_path "$dist/$name-setup.exe")
TARVO_PORTABLE_EXE=$(windows_path "$work/Tarvo.exe")
TARVO_OLDER_SETUP=$(windows_path "$work/older-setup.exe")
TARVO_OLDER_VERSION=$older
export TARVO_SETUP TARVO_PORTABLE_EXE TARVO_OLDER_SETUP TARVO_OLDER_VERSION
shift 2
wine "$tests_exe" "$@"

# The uninstaller that the signed setup writes is signed too.
signed_dir=$WINEPREFIX/drive_c/Signed
wine "$(windows_path "$work/signed/$name-setup.exe")" /S '/D=C:\Signed' || fail "the signed setup failed"
for file in "$signed_dir/Tarvo.exe" "$signed_dir/Uninstall.exe"; do
    verify "$file" || fail "the installed ${file##*/}: $(cat "$work/log")"
done
passed "the signed setup installs a signed Tarvo.exe and a signed uninstaller"
