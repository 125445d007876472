#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer, UndefinedBehaviorSanitizer) in
# build/fuzz and runs each for a bounded time: fuzz.sh [seconds per target, default 30].
# The committed seeds in fuzz/corpus/TARGET are read, never written; what a run learns is kept in
# build/fuzz/corpus/TARGET for the next run, and a finding is saved in build/fuzz/findings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
build="$root/build/fuzz"
targets=(fuzz_check_database fuzz_export_line fuzz_like_pattern fuzz_order_importer fuzz_settings fuzz_typed_values)
launcher=${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}

# Line tables (-g1) are all a finding's stack trace needs.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON -DVELMORA_BUILD_TESTS=OFF \
    ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher} >/dev/null
cmake --build "$build" -j "${VELMORA_JOBS:-$(nproc)}" --target "${targets[@]}"

mkdir -p "$build/findings"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Runs one target for its time; its log and outcome stay in build/fuzz/NAME.log and NAME.failed.
fuzz_target() {
    local target=$1 name=${1#fuzz_}
    local log="$build/$name.log"
    rm -f "$build/$name.failed"
    mkdir -p "$build/corpus/$name"
    # A hash check may take a second; anything near the timeout is a finding.
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$name-" \
        "$build/corpus/$name" "$root/fuzz/corpus/$name" >"$log" 2>&1; then
        touch "$build/$name.failed"
    fi
}

# The targets run side by side, as many at once as there are cores; each still gets its full time.
parallel=${VELMORA_JOBS:-$(nproc)}
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do
        wait -n || true
    done
    fuzz_target "$target" &
done
wait
failed=0
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    if [ -e "$build/$name.failed" ]; then
        tail -n 60 "$build/$name.log"
        echo "fuzz: $target found a fault; the input is in $build/findings" >&2
        failed=1
    else
        echo "fuzz: $target ran ${seconds}s: $(grep -E '^stat::number_of_executed_units' "$build/$name.log" | awk '{print $2}') inputs, no fault"
    fi
done
exit "$failed"
