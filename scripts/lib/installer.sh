# shellcheck shell=bash
# Builds the installer from packaging/Tarvo2000.nsi. Sourced by scripts/package, and by the
# install test, which builds an older installer from the same files.
#   make_installer VERSION PACKAGE_VERSION FILES OUTFILE
# VERSION is the version record's four numbers (1.2.0.181), PACKAGE_VERSION what users see
# (1.2.181); FILES is a folder holding Tarvo.exe and LICENSE, whose times the installer keeps.
# With TARVO_SIGN_PFX set, the uninstaller it writes is signed (scripts/lib/sign-file).
make_installer() {
    local root defines
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    defines=("-DVERSION=$1" "-DPACKAGE_VERSION=$2" "-DFILES=$3" "-DSOURCE=$root" "-DOUTFILE=$4")
    if [[ -n ${TARVO_SIGN_PFX:-} ]]; then
        defines+=("-DSIGN_COMMAND=$root/scripts/lib/sign-file")
    fi
    makensis -V2 -NOCD "${defines[@]}" "$root/packaging/Tarvo2000.nsi"
}
