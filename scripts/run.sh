#!/usr/bin/env bash
# Installs what building and running need (not the test tools), builds Velmora and starts it on its
# default program directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run build
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=OFF
cmake --build "$root/build/release" --target velmora
exec "$root/build/release/velmora" "$@"
