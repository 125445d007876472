#!/usr/bin/env bash
# Installs what is missing, builds Velmora twice (optimised, then with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite headless in each build.
# VELMORA_SKIP_SANITIZERS=1 skips the second build during development.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

run_suite() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600
}

"$root/scripts/check-format.sh"
run_suite "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${VELMORA_SKIP_SANITIZERS:-0}" != 1 ]; then
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_suite "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON
fi

# Fuzzing: each libFuzzer target of fuzz/ for a short, bounded time (VELMORA_SKIP_FUZZ=1 skips it).
if [ "${VELMORA_SKIP_FUZZ:-0}" != 1 ]; then
    "$root/scripts/fuzz.sh" 20
fi
