#!/usr/bin/env bash
# CPU time (user + system, whole processes) of every product printed to PDF by the velmora command
# line, beside FreeCheck with ps2pdf printing the same number of blank checks: the public peer in
# ../shared/peers, run as a yardstick only. The runs take turns, ROUNDS times; the medians are told,
# with how many times faster than the peer each product is per item.
#   bash bench/compare-freecheck.sh BUILD_DIR [ITEMS] [ROUNDS]
set -euo pipefail
build=$(cd "${1:?usage: compare-freecheck.sh BUILD_DIR [ITEMS] [ROUNDS]}" && pwd)
items=${2:-3000}
rounds=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
peer="$here/../../shared/peers/run-freecheck.sh"
if [[ ! -x "$peer" && ! -f "$peer" ]]; then
    echo "compare-freecheck: the peer is not at $peer; nothing to compare" >&2
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_program_dir" "$work/dir" "$items"
printf 'tulip\n' >"$work/password"
chmod 600 "$work/password"

declare -A commands=(
    [entered-checks]="print --db Checks.mdb --once --pdf $work/out.pdf"
    [labels]="print --db Checks.mdb --labels-once --pdf $work/out.pdf"
    [blank-checks]="blank-checks --db Checks.mdb --count $items --start 1001 --pdf $work/out.pdf"
    [deposit-tickets]="deposit-tickets --db Checks.mdb --count $items --pdf $work/out.pdf"
    [quicken-3up]="quicken-3up --db Checks.mdb --count $items --start 1001 --pdf $work/out.pdf"
    [quicken-voucher]="quicken-voucher --db Checks.mdb --count $items --start 1001 --pdf $work/out.pdf"
)
products=(entered-checks labels blank-checks deposit-tickets quicken-3up quicken-voucher)

# CPU seconds of one command, which must succeed: a run that failed early would look fast.
cpu() {
    if ! /usr/bin/time -f '%U %S' -o "$work/time" "$@" >/dev/null 2>"$work/errors"; then
        echo "compare-freecheck: failed: $*" >&2
        cat "$work/errors" >&2
        exit 1
    fi
    awk '{printf "%.3f\n", $1 + $2}' "$work/time"
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

: >"$work/peer"
for product in "${products[@]}"; do : >"$work/$product"; done
for ((round = 1; round <= rounds; ++round)); do
    cpu bash "$peer" $(((items + 2) / 3)) "$work/peer.pdf" >>"$work/peer"
    for product in "${products[@]}"; do
        # shellcheck disable=SC2086 # the options are words
        cpu "$build/velmora" --dir "$work/dir" ${commands[$product]} --password-file "$work/password" \
            --confirm no >>"$work/$product"
    done
done
peerTime=$(median <"$work/peer")
printf '%-18s %10s %12s %10s\n' "run ($items items)" "CPU s" "items/CPU s" "x FreeCheck"
printf '%-18s %10s %12.0f %10s\n' "FreeCheck+ps2pdf" "$peerTime" "$(echo "$items / $peerTime" | bc -l)" "1"
for product in "${products[@]}"; do
    t=$(median <"$work/$product")
    printf '%-18s %10s %12.0f %10.1f\n' "$product" "$t" "$(echo "$items / $t" | bc -l)" "$(echo "$peerTime / $t" | bc -l)"
done
