#!/usr/bin/env bash
# Installs the Debian packages of the named lists that are not installed yet:
#   install-deps.sh run build [test]   reads scripts/debian-packages-run.txt, -build.txt, -test.txt
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -eq 0 ]; then
    echo "usage: $0 LIST... (run, build, test)" >&2
    exit 2
fi
wanted=()
for list in "$@"; do
    file=$here/debian-packages-$list.txt
    [ -f "$file" ] || { echo "install-deps: no package list $file" >&2; exit 2; }
    mapfile -t -O "${#wanted[@]}" wanted < <(grep -v -e '^#' -e '^$' "$file")
done
missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
