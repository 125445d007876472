#!/usr/bin/env bash
# Draws docs/architecture.png from the build itself: CMake's graph of the program's libraries and
# programs (what each links), without tests, benchmarks and outside libraries, laid out by Graphviz.
# Run it after a change to cmake/layers.txt and commit the picture with the change.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/CMakeGraphVizOptions.cmake" <<'OPTIONS'
set(GRAPHVIZ_GRAPH_NAME "Velmora")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
OPTIONS
cmake -S "$root" -B "$work" -G Ninja -DVELMORA_BUILD_TESTS=OFF --graphviz="$work/velmora.dot" >/dev/null
# The legend goes; each library is labelled with its box's folder from cmake/layers.txt.
python3 - "$root/cmake/layers.txt" "$work/velmora.dot" >"$work/boxes.dot" <<'FILTER'
import re, sys
folders = {}
for line in open(sys.argv[1]):
    fields = line.split("#", 1)[0].split()
    if fields:
        folders[fields[1]] = fields[0]
dot = open(sys.argv[2]).read()
dot = re.sub(r"subgraph clusterLegend \{.*?\n\}\n", "", dot, flags=re.S)
dot = re.sub(r'label = "([\w-]+)"',
             lambda m: f'label = "{folders[m.group(1)]}/\\n{m.group(1)}"' if m.group(1) in folders else m.group(0), dot)
sys.stdout.write(dot)
FILTER
# Arrows point down, from a library to a library it links; the floor is at the bottom.
dot -Tpng -Gdpi=110 -Nfontname=Helvetica "$work/boxes.dot" -o "$root/docs/architecture.png"
echo "docs/architecture.png drawn from $(grep -c 'label =' "$work/boxes.dot") targets"
