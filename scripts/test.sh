#!/usr/bin/env bash
# Installs what is missing, then checks everything the project promises, in stages:
#   1. the format and the direction of the includes;
#   2. the optimised build (with Debian's hardening flags, as packaged): clang-tidy over the program's
#      sources with its compile commands (scripts/clang-tidy.sh: the sources changed since the merge
#      base with main; every source on main itself, in CI or with VELMORA_TIDY_ALL=1), the whole
#      test suite, the screen flow under valgrind, each benchmark once in a short smoke run; then the
#      Debian package from the same tree, its checks, and its installation into a fresh Debian 12 root;
#   3. the AddressSanitizer and UndefinedBehaviorSanitizer build (the tests only): the test suite;
#   4. the libFuzzer targets (built on their own with clang), each for a bounded time.
# Each stage builds only what it runs. The compiler cache lives in build/ccache, so a repeated run
# compiles little. Each can be left out while developing:
#   VELMORA_SKIP_SANITIZERS=1, VELMORA_SKIP_FUZZ=1, VELMORA_SKIP_PACKAGE=1 (the package and its
#   installation), VELMORA_SKIP_INSTALL_TEST=1 (only the installation).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run build test
export QT_QPA_PLATFORM=offscreen
export VELMORA_JOBS=${VELMORA_JOBS:-$(nproc)}
export CCACHE_DIR=$root/build/ccache
export CMAKE_CXX_COMPILER_LAUNCHER=ccache
mkdir -p "$CCACHE_DIR"

stage_times=()
stage_started=$SECONDS
end_stage() {
    stage_times+=("$1: $((SECONDS - stage_started)) s")
    stage_started=$SECONDS
}
say_times() {
    local line
    for line in "${stage_times[@]}"; do
        echo "test.sh stage $line"
    done
}

run_tests() {
    ctest --test-dir "$1" --output-on-failure -j "$VELMORA_JOBS" --timeout 600
}

# --- 1. format and layers ---
"$root/scripts/check-format.sh"
# The boxes include one another only downwards (cmake/layers.txt); also a test of each suite.
python3 "$root/scripts/check-layers.py"
end_stage "format and layers"

# --- CUPS: one private print server with a cups-pdf queue for the tests that print through CUPS ---
# Both builds' tests use it (VELMORA_CUPS_TEST_DIR); it never touches the machine's own printers and
# is stopped when this script ends. As root (CI) it must start; otherwise those tests skip and say why.
cups_dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora-cups.XXXXXX")
stop_cups() {
    bash "$root/scripts/cups-test-server.sh" stop "$cups_dir" >/dev/null 2>&1 || true
    rm -rf "$cups_dir"
}
finish() {
    # A package check still running is waited for, so that no Debian root stays mounted.
    [ -z "${package_pid:-}" ] || wait "$package_pid" || true
    stop_cups
    [ -z "${pg_dir:-}" ] || stop_postgres
}
trap finish EXIT
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
stop_postgres() {
    bash "$root/scripts/postgres-test-server.sh" stop "$pg_dir" >/dev/null 2>&1 || true
    rm -rf "$pg_dir"
}
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

# --- 2. the optimised build, its tests, and the package made from it ---
# Line tables (-g1) give valgrind and a crash their lines; full debug information took about a
# third longer to compile here, into objects six times the size, and the package strips it anyway.
deb=$(bash "$root/scripts/package.sh" "$root/build/test" -DVELMORA_BUILD_TESTS=ON \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
end_stage "optimised build and package"
bash "$root/scripts/clang-tidy.sh" "$root/build/test"
end_stage "clang-tidy"
run_tests "$root/build/test"
# The screen flow under memcheck: a screen freed while one of its own events still runs is caught
# here even when the freed memory happens to still hold what was there.
valgrind --tool=memcheck --error-exitcode=1 --leak-check=no --num-callers=40 \
    "$root/build/test/tests/velmora_gui_tests" --gtest_filter='ScreenFlowTest.*'
end_stage "optimised tests"
# The package's checks and its installation wait mostly on lintian, the network and dpkg, so they run
# beside the sanitizer build; what they said is shown, and judged, when that build is done.
package_pid=
package_log=$root/build/package-checks.log
check_package() {
    bash "$root/scripts/check-package.sh" "$deb" "$root/build/test" || return
    [ "${VELMORA_SKIP_INSTALL_TEST:-0}" != 1 ] || return 0
    local status=0
    bash "$root/scripts/install-test.sh" "$deb" "$root/build/install-test" || status=$?
    # Only a machine that cannot make a Debian root may skip it, and says why.
    [ "$status" -eq 0 ] || [ "$status" -eq 77 ]
}
if [ "${VELMORA_SKIP_PACKAGE:-0}" != 1 ]; then
    check_package >"$package_log" 2>&1 &
    package_pid=$!
fi
package_verdict() {
    [ -n "$package_pid" ] || return 0
    local status=0
    wait "$package_pid" || status=$?
    package_pid=
    cat "$package_log"
    return "$status"
}

# --- 3. the sanitizer build: the tests, no benchmarks ---
if [ "${VELMORA_SKIP_SANITIZERS:-0}" != 1 ]; then
    # Line tables (-g1) are all the sanitizers' reports need.
    cmake -S "$root" -B "$root/build/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
        -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCHMARKS=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
    cmake --build "$root/build/sanitize" -j "$VELMORA_JOBS"
    end_stage "sanitizer build"
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_tests "$root/build/sanitize"
    end_stage "sanitizer tests"
fi

package_verdict
end_stage "waiting for the package checks and installation"

# --- 4. fuzzing: each libFuzzer target of fuzz/ for a short, bounded time ---
if [ "${VELMORA_SKIP_FUZZ:-0}" != 1 ]; then
    "$root/scripts/fuzz.sh" 20
    end_stage "fuzzing"
fi
say_times
