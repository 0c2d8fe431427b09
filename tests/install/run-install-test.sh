#!/usr/bin/env bash
# Checks what scripts/package left in dist/: the checksums, the zip's files, then install,
# upgrade and uninstall in a fresh copy of the Wine template (install_tests.exe does those).
# scripts/test gives the display and the template.
#   run-install-test.sh INSTALL_TESTS_EXE VERSION_ENV
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tests_exe=$1
# shellcheck disable=SC1090
source "$2"
name=Tarvo2000-$TARVO_PACKAGE_VERSION-win64
dist=$root/dist

fail() {
    echo "install test: $*" >&2
    exit 1
}

(cd "$dist" && sha256sum --check --strict SHA256SUMS) || fail "SHA256SUMS does not match dist/"
[[ "$(cut -d' ' -f3 "$dist/SHA256SUMS" | sort)" == "$(printf '%s\n' "$name-setup.exe" "$name.zip")" ]] ||
    fail "SHA256SUMS lists $(cut -d' ' -f3 "$dist/SHA256SUMS" | tr '\n' ' ')"
listing=$(unzip -Z1 "$dist/$name.zip")
[[ "$listing" == $'Tarvo.exe\nREADME.txt\nLICENSE' ]] || fail "the zip holds: $(tr '\n' ' ' <<<"$listing")"
unzip -p "$dist/$name.zip" LICENSE | tr -d '\r' | cmp -s - "$root/LICENSE" || fail "the zip's LICENSE differs"
unzip -p "$dist/$name.zip" README.txt | grep -q "Version $TARVO_PACKAGE_VERSION" ||
    fail "the zip's README.txt does not name version $TARVO_PACKAGE_VERSION"

# shellcheck source=scripts/lib/wine-env.sh
source "$root/scripts/lib/wine-env.sh"
work=$(mktemp -d)
wine_env_traps
trap 'wine_env_stop; rm -rf "$work"' EXIT
unzip -q "$dist/$name.zip" Tarvo.exe -d "$work"

# The Start-menu shortcut must not become a menu entry of the Linux user running the test.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
wine_env_start_prefix "${TARVO_WINE_TEMPLATE:-$root/build/wine-template}" "$root/build/wine-install"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
TARVO_SETUP=$(windows_path "$dist/$name-setup.exe")
TARVO_PORTABLE_EXE=$(windows_path "$work/Tarvo.exe")
export TARVO_SETUP TARVO_PORTABLE_EXE
shift 2
wine "$tests_exe" "$@"
