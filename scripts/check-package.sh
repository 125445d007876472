#!/usr/bin/env bash
# Checks a Debian package made by scripts/package.sh:
#   check-package.sh DEB BUILD_DIR
# lintian finds no error and no warning that packaging/lintian-kept.txt does not keep (each kept one
# with its reason); the AppStream data and the desktop entry validate; the package holds exactly the
# files below and nothing that points back into the build; its version is the project's and its
# dependencies are the run-time ones, nothing for building.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:?usage: check-package.sh DEB BUILD_DIR}
build=$(cd "${2:?usage: check-package.sh DEB BUILD_DIR}" && pwd)
app=org.velmora.Velmora
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

source "$(dirname "$0")/checks.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/tree"
dpkg-deb -f "$deb" >"$work/control"

lintian_clean() {
    # Informational tags are shown, not judged; errors and warnings fail unless kept.
    lintian --no-cfg --display-info --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || true
    grep -v -e '^#' -e '^$' "$root/packaging/lintian-kept.txt" | cut -d' ' -f1 >"$work/kept"
    local unexpected
    unexpected=$(grep -E '^[EW]: ' "$work/lintian" | grep -v -w -F -f "$work/kept" || true)
    cat "$work/lintian"
    [ -z "$unexpected" ] || { echo "not kept:"; echo "$unexpected"; return 1; }
    ! grep -q '^E: ' "$work/lintian"
}
check "lintian has no error and no warning that is not kept" lintian_clean

check "the AppStream data validates" \
    appstreamcli validate --no-net --explain "$work/tree/usr/share/metainfo/$app.metainfo.xml"
check "the desktop entry validates" \
    desktop-file-validate "$work/tree/usr/share/applications/$app.desktop"

expected_files() {
    cat <<EOF
./usr/bin/velmora
./usr/libexec/velmora/velmora-jet-reader
./usr/share/applications/$app.desktop
./usr/share/bash-completion/completions/velmora
./usr/share/doc/velmora/changelog.gz
./usr/share/doc/velmora/copyright
./usr/share/fonts/truetype/velmora/MICR65.ttf
./usr/share/icons/hicolor/scalable/apps/$app.svg
./usr/share/man/man1/velmora.1.gz
./usr/share/metainfo/$app.metainfo.xml
EOF
    for size in 16 22 24 32 48 64 128 256; do
        echo "./usr/share/icons/hicolor/${size}x$size/apps/$app.png"
    done
}
same_files() {
    diff -u <(expected_files | sort) <(cd "$work/tree" && find . -type f -o -type l | sort)
}
check "the package holds exactly the program's installed files" same_files

icon_sizes() {
    local png size
    for png in "$work"/tree/usr/share/icons/hicolor/*x*/apps/$app.png; do
        size=$(basename "$(dirname "$(dirname "$png")")")
        file "$png" | grep -q "PNG image data, ${size/x/ x }," || { file "$png"; return 1; }
    done
}
check "each icon is as large as its folder says" icon_sizes

no_build_paths() {
    # Neither the build nor the source folder is named inside a packaged file (a run path, a
    # compiled-in data path, a debug path), and no binary searches libraries anywhere of its own.
    ! grep -r -l -F -e "$build" -e "$root" "$work/tree" &&
        ! readelf -d "$work/tree/usr/bin/velmora" "$work/tree/usr/libexec/velmora/velmora-jet-reader" |
            grep -E 'RPATH|RUNPATH'
}
check "nothing in the package points into the build" no_build_paths

control_fields() {
    grep -qx "Version: $version" "$work/control" || { echo "not version $version"; return 1; }
    local depends
    depends=$(sed -n 's/^Depends: //p' "$work/control")
    echo "Depends: $depends"
    for needed in libqt6gui6 libqt6widgets6 libqt6printsupport6 libsqlite3-0 libsodium23 libcups2 libmdb3 \
        fonts-liberation2; do
        grep -q -w -F "$needed" <<<"$depends" || { echo "missing $needed"; return 1; }
    done
    ! grep -E -e '-dev\b|\bbuild-essential\b|\bcmake\b|\bgcc\b' <<<"$depends"
}
check "the version is the project's and the dependencies are the run-time ones" control_fields
check "the package's name is velmora_<version>_<architecture>.deb" \
    test "$(basename "$deb")" = "velmora_${version}_$(dpkg --print-architecture).deb"

checks_done package
