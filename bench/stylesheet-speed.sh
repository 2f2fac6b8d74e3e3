#!/usr/bin/env bash
# Times the ledger stylesheets against the baseline that copies every line's fields into one table
# row (bench/baseline-rows.xslt), on the same generated files, with xsltproc:
#   - a kebir whose one bank account has 50,000 lines (kebir.xslt, running balance on every line)
#   - a 200 MB journal (yevmiye.xslt)
# Runs are interleaved and repeated, since the machine is shared and noisy; compare the ratios.
# The baseline reads each line's entry number through the parent (../cor:entryNumber), which walks
# all of a block's lines for every line: on the 50,000-line kebir block it takes minutes, so it
# runs there once.
#
# usage: bench/stylesheet-speed.sh [BUILD_DIR] [REPEATS]     (defaults: build, 3)
# JOURNAL_MB and KEBIR_LINES override the sizes (200, 50000) for a quick trial.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-3}
ledgergen="$build/bin/ledgergen"
baseline=bench/baseline-rows.xslt
for needed in "$ledgergen" "$baseline" /usr/bin/time "$(command -v xsltproc)"; do
    [ -e "$needed" ] || { echo "missing: $needed" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$ledgergen" --out "$work/kebir" --entries 300 --big-account-lines "${KEBIR_LINES:-50000}" >/dev/null
"$ledgergen" --out "$work/journal" --size "${JOURNAL_MB:-200}" >/dev/null
kebir=$(ls "$work"/kebir/*-K-000000.xml)
journal=$(ls "$work"/journal/*-Y-000000.xml)

# One run: prints "wall user+sys peak-KB".
run() {
    /usr/bin/time -f "%e %U %S %M" xsltproc "$1" "$2" 2>&1 >/dev/null | tail -1 | awk '{printf "%.2f %.2f %d\n", $1, $2 + $3, $4}'
}

compare() {
    local label=$1 ours=$2 file=$3 baseline_repeats=$4
    echo "== $label: $(basename "$file"), $(du -m "$file" | cut -f1) MB on disk, $(grep -c '<gl-cor:entryDetail>' "$file") lines"
    printf '%-4s %-22s %8s %8s %10s\n' run stylesheet wall_s cpu_s peak_MB
    local best_base=999999 best_ours=999999
    for i in $(seq "$repeats"); do
        local sheets=("$ours")
        [ "$i" -gt "$baseline_repeats" ] || sheets=("$baseline" "$ours")
        for sheet in "${sheets[@]}"; do
            read -r wall cpu peak < <(run "$sheet" "$file")
            printf '%-4s %-22s %8s %8s %10d\n' "$i" "$(basename "$sheet")" "$wall" "$cpu" $((peak / 1024))
            if [ "$sheet" = "$baseline" ]; then
                best_base=$(awk -v a="$wall" -v b="$best_base" 'BEGIN { print (a < b) ? a : b }')
            else
                best_ours=$(awk -v a="$wall" -v b="$best_ours" 'BEGIN { print (a < b) ? a : b }')
            fi
        done
    done
    awk -v o="$best_ours" -v b="$best_base" -v n="$(basename "$ours")" \
        'BEGIN { printf "best wall: baseline %.2f s, %s %.2f s, ratio %.2f (limit 1.50)\n\n", b, n, o, o / b }'
}

compare "journal of ${JOURNAL_MB:-200} MB" data/yevmiye.xslt "$journal" "$repeats"
compare "kebir with one account of ${KEBIR_LINES:-50000} lines" data/kebir.xslt "$kebir" 1
