# Sourced by the scripts that run a list of named checks (check-package.sh, install-test.sh):
#   check NAME COMMAND...   runs the command, says how it went, shows its output if it failed
#   checks_done WHAT        tells "WHAT: N passed, N failed" and fails if any did
checks_passed=0
checks_failed=0
check() {
    local name=$1
    shift
    local output
    if output=$("$@" 2>&1); then
        checks_passed=$((checks_passed + 1))
        echo "check passed: $name"
    else
        checks_failed=$((checks_failed + 1))
        echo "check FAILED: $name" >&2
        printf '%s\n' "$output" | sed 's/^/    /' >&2
    fi
}
checks_done() {
    echo "$1: $checks_passed passed, $checks_failed failed"
    [ "$checks_failed" -eq 0 ]
}
