#!/usr/bin/env bash
# Draws the pictures of the blank-stock products and of the alignment test page under docs/: each
# product printed by the velmora command from a sample first check, the first page rendered by
# pdftoppm. Usage: bash scripts/stock-pictures.sh [BUILD_DIR] (default build/test).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/test}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
velmora() { "$build/velmora" --dir "$work" "$@"; }

# The screens seed a new program folder (PC.OVL, template.ref) as they start; the verbs never do.
timeout 5 "$build/velmora" --dir "$work" || true
velmora test-page --pdf "$work/test-page.pdf"
cp "$work/template.ref" "$work/Sample.mdb"
sqlite3 "$work/Sample.mdb" <<'SQL'
UPDATE Properties SET AccountType = 'Check', Description = 'Sample';
UPDATE Account SET BusinessName = 'Harbor Lane Bakery', FirstName = 'Maria', LastName = 'Okafor',
    Address = '12 Quay Street', City = 'Portland', State = 'ME', Zip = '04101', Phone = '207-555-0142',
    Bank = 'Casco Savings', BankCity = 'Portland', BankState = 'ME', ABA = '211274450',
    Account = '40021977' WHERE ID = 1;
SQL
sqlite3 "$work/PC.OVL" "UPDATE Properties SET QuickenCheckStock = 1, \"1\" = '45';"
echo tulip > "$work/password"
# The blank-stock verbs are the commands that take a count; the numbered ones take a start too.
mapfile -t commands < <(velmora --help | sed -n '/^Commands:/,/^velmora help/{s/^  \([a-z][a-z0-9-]*\)\( .*\)\{0,1\}$/\1/p}')
pictures=(test-page)
for verb in "${commands[@]}"; do
    usage=$(velmora help "$verb")
    [[ $usage == *"--count N"* ]] || continue
    start=()
    [[ $usage == *"--start NUMBER"* ]] && start=(--start 1001)
    velmora "$verb" --db Sample.mdb --count 3 "${start[@]}" --pdf "$work/$verb.pdf" --password-file "$work/password"
    pictures+=("$verb")
done
for name in "${pictures[@]}"; do
    pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$work/$name.pdf" "docs/$name"
done
