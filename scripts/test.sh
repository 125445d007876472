#!/usr/bin/env bash
# Installs what is missing, builds Velmora twice (optimised, then with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite headless in each build, the screen flow
# tests of the first build also under valgrind.
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
# The boxes include one another only downwards (cmake/layers.txt); also a test of each suite.
python3 "$root/scripts/check-layers.py"

# --- CUPS: one private print server with a cups-pdf queue for the tests that print through CUPS ---
# Both builds' tests use it (VELMORA_CUPS_TEST_DIR); it never touches the machine's own printers and
# is stopped when this script ends. As root (CI) it must start; otherwise those tests skip and say why.
cups_dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora-cups.XXXXXX")
stop_cups() {
    bash "$root/scripts/cups-test-server.sh" stop "$cups_dir" >/dev/null 2>&1 || true
    rm -rf "$cups_dir"
}
trap stop_cups EXIT
cups_status=0
bash "$root/scripts/cups-test-server.sh" start "$cups_dir" >/dev/null || cups_status=$?
if [ "$cups_status" -eq 0 ]; then
    export VELMORA_CUPS_TEST_DIR=$cups_dir
elif [ "$cups_status" -eq 77 ] && [ "$(id -u)" -ne 0 ]; then
    echo "The tests that print through CUPS will be skipped (see the reason above)." >&2
else
    echo "The CUPS test server did not start." >&2
    exit 1
fi
# --- end of CUPS ---

# --- PostgreSQL: one private cluster for the tests of the shared store ---
# Listens only on a Unix socket in its own folder (VELMORA_PG_TEST_SERVER is the connection string the
# tests use) and is stopped when this script ends. As root (CI) it must start; otherwise the tests of
# the shared store skip and say why.
pg_dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora-pg.XXXXXX")
stop_servers() {
    stop_cups
    bash "$root/scripts/postgres-test-server.sh" stop "$pg_dir" >/dev/null 2>&1 || true
    rm -rf "$pg_dir"
}
trap stop_servers EXIT
pg_status=0
pg_settings=$(bash "$root/scripts/postgres-test-server.sh" start "$pg_dir") || pg_status=$?
if [ "$pg_status" -eq 0 ]; then
    export VELMORA_PG_TEST_DIR=$pg_dir
    VELMORA_PG_TEST_SERVER=$(sed -n 's/^VELMORA_PG_TEST_SERVER=//p' <<<"$pg_settings")
    export VELMORA_PG_TEST_SERVER
elif [ "$pg_status" -eq 77 ] && [ "$(id -u)" -ne 0 ]; then
    echo "The tests of the shared store will be skipped (see the reason above)." >&2
else
    echo "The PostgreSQL test server did not start." >&2
    exit 1
fi
# --- end of PostgreSQL ---

run_suite "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The screen flow under memcheck: a screen freed while one of its own events still runs is caught
# here even when the freed memory happens to still hold what was there.
valgrind --tool=memcheck --error-exitcode=1 --leak-check=no --num-callers=40 \
    "$root/build/test/tests/velmora_gui_tests" --gtest_filter='ScreenFlowTest.*'
if [ "${VELMORA_SKIP_SANITIZERS:-0}" != 1 ]; then
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_suite "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON
fi

# Fuzzing: each libFuzzer target of fuzz/ for a short, bounded time (VELMORA_SKIP_FUZZ=1 skips it).
if [ "${VELMORA_SKIP_FUZZ:-0}" != 1 ]; then
    "$root/scripts/fuzz.sh" 20
fi
