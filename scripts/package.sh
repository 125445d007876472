#!/usr/bin/env bash
# Builds the Debian package velmora_<version>_amd64.deb with CPack and prints its path.
#   package.sh [BUILD_DIR [CMAKE_OPTION...]]
# BUILD_DIR is build/package by default, configured without the tests; scripts/test.sh builds the
# package from its own tree instead. The binaries are built with Debian's hardening flags
# (dpkg-buildflags) for the prefix /usr, where the package installs them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/package}
shift || true
[ $# -gt 0 ] || set -- -DVELMORA_BUILD_TESTS=OFF
launcher=${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}

# The flags are read in the source folder, so that -ffile-prefix-map strips its path from the
# binaries.
cd "$root"
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS" # CMake reads no CPPFLAGS (-D_FORTIFY_SOURCE)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher} "$@" >/dev/null
# What the build says goes to standard error: standard output is the package's path alone.
cmake --build "$build" -j "${VELMORA_JOBS:-$(nproc)}" >&2
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/package/velmora_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "package: CPack made no $deb" >&2; exit 1; }
echo "$deb"
