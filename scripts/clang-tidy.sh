#!/usr/bin/env bash
# Runs clang-tidy, with the checks of .clang-tidy, over the program's own sources (the folders of
# cmake/layers.txt; not the tests, benchmarks or fuzzers), using the compile commands of a build, and
# fails on any finding.
#   clang-tidy.sh BUILD_DIR
# On a branch it checks the sources changed since the merge base with main (committed or not), and
# the source beside each changed header. On main itself (a clean clone, as CI makes), where that
# would be nothing, and with VELMORA_TIDY_ALL=1 or CI=true, it checks every source. A full run took
# about 11 minutes of processor time here, so on two cores some 6 minutes.
# VELMORA_JOBS sets how many run at once (default: the number of processors).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: clang-tidy.sh BUILD_DIR}
build=$(cd "$build" && pwd)
[ -f "$build/compile_commands.json" ] || { echo "clang-tidy: no $build/compile_commands.json" >&2; exit 2; }
runner=$(command -v run-clang-tidy || command -v run-clang-tidy-14) ||
    { echo "clang-tidy: run-clang-tidy not found (Debian package clang-tidy)" >&2; exit 2; }
cd "$root"

# The top folders of the program's boxes.
mapfile -t folders < <(grep -v -e '^#' -e '^$' cmake/layers.txt | awk '{ split($1, p, "/"); print p[1] }' | sort -u)
program="^($(IFS='|'; echo "${folders[*]}"))/.*\.cpp$"

if [ "${VELMORA_TIDY_ALL:-0}" = 1 ] || [ "${CI:-}" = true ] || ! base=$(git merge-base HEAD main 2>/dev/null) ||
    [ "$base" = "$(git rev-parse HEAD)" ]; then
    mapfile -t sources < <(git ls-files | grep -E "$program" || true)
    echo "clang-tidy: every source of the program (${#sources[@]})"
else
    mapfile -t sources < <(
        { git diff --name-only --diff-filter=d "$base"; git ls-files --others --exclude-standard; } |
            sed -E 's/\.h$/.cpp/' | sort -u | while read -r file; do
                [ -f "$file" ] && echo "$file"
            done | grep -E "$program" || true)
    echo "clang-tidy: the ${#sources[@]} sources changed since $(git rev-parse --short "$base") (VELMORA_TIDY_ALL=1 for all)"
fi
[ ${#sources[@]} -gt 0 ] || exit 0

# Only the files the build compiles (a source of a box left out of this build is not checked).
patterns=()
for file in "${sources[@]}"; do
    patterns+=("^$(printf '%s' "$root/$file" | sed 's/[.[\*^$()+?{|]/\\&/g')\$")
done
# The GCC build reads precompiled headers (cmake/Precompiled.cmake) that clang cannot load; clang-tidy
# reads the compile commands without them, so that each source is also parsed on its own includes.
commands=$(mktemp -d "${TMPDIR:-/tmp}/velmora-tidy.XXXXXX")
trap 'rm -rf "$commands"' EXIT
python3 - "$build/compile_commands.json" "$commands/compile_commands.json" <<'EOF'
import json, shlex, sys
entries = json.load(open(sys.argv[1]))
for entry in entries:
    words, kept = shlex.split(entry["command"]), []
    while words:
        word = words.pop(0)
        if word == "-include" and words and words[0].endswith("/cmake_pch.hxx"):
            words.pop(0)
        elif word != "-Winvalid-pch":
            kept.append(word)
    entry["command"] = shlex.join(kept)
json.dump(entries, open(sys.argv[2], "w"), indent=1)
EOF
# -Wno-restrict of the GCC build is unknown to clang: not a finding.
"$runner" -p "$commands" -j "${VELMORA_JOBS:-$(nproc)}" -quiet -extra-arg=-Wno-unknown-warning-option \
    "${patterns[@]}"
