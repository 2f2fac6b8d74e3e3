#!/usr/bin/env bash
# Whether every PDF is complete: a generated journal with our stylesheet beside it, printed RUNS
# times in a row with `verazidedaze-render --pdf` (a fresh process each time) and RUNS times
# through --pdf-dir (one process, the journal in RUNS folders), each file's entries counted in its
# text ("Fiş No: …"). One line per journal size: runs, complete files, short files, failures.
# Usage: bench/pdf_complete.sh [RUNS] [ENTRIES ...]   (default: 50 runs of 20 and 300 entries:
#        one piece and many pieces)
# Environment: BUILD=build folder (default build).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"
render="$build/bin/verazidedaze-render"
generator="$build/bin/ledgergen"
runs="${1:-50}"
shift || true
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(20 300)

for tool in "$render" "$generator"; do
    [[ -x "$tool" ]] || { echo "missing: $tool (build the project)" >&2; exit 1; }
done
command -v pdftotext >/dev/null || { echo "missing: pdftotext (apt-get install poppler-utils)" >&2; exit 1; }

# shellcheck source=webengine-env.sh
source "$(dirname "$0")/webengine-env.sh"

# tally ENTRIES PDF...: counts complete and short files into `complete` and `short`.
tally() {
    local entries="$1" file found
    shift
    for file in "$@"; do
        found=$(pdftotext "$file" - 2>/dev/null | grep -c 'Fiş No: [0-9]' || true)
        if [[ "$found" -eq "$entries" ]]; then
            complete=$((complete + 1))
        else
            short=$((short + 1))
            echo "  short: $file has $found of $entries entries" >&2
        fi
    done
}

printf '%-8s %-9s %5s %9s %6s %7s\n' entries mode runs complete short failed
for entries in "${sizes[@]}"; do
    folder="$work/$entries"
    "$generator" --out "$folder" --entries "$entries" >/dev/null
    cp "$build/bin/yevmiye.xslt" "$folder"/
    journal="$(ls "$folder"/*-Y-*.xml)"

    complete=0 short=0 failed=0
    for ((run = 1; run <= runs; run++)); do
        rm -f "$work/out.pdf"
        if "$render" --pdf "$work/out.pdf" "$journal" >"$work/log" 2>&1; then
            tally "$entries" "$work/out.pdf"
        else
            failed=$((failed + 1))
            tail -1 "$work/log" >&2
        fi
    done
    printf '%-8s %-9s %5s %9s %6s %7s\n' "$entries" --pdf "$runs" "$complete" "$short" "$failed"

    complete=0 short=0 failed=0
    rm -rf "$work/in" "$work/out"
    for ((run = 1; run <= runs; run++)); do
        mkdir -p "$work/in/$run"
        cp "$journal" "$work/in/$run/yevmiye-$run.xml"
        cp "$folder/yevmiye.xslt" "$work/in/$run/"
    done
    "$render" --pdf-dir "$work/out" "$work"/in/* >"$work/log" 2>&1 || true
    failed=$(grep -c 'PDF yazılamadı' "$work/log" || true)
    tally "$entries" "$work"/out/*.pdf
    printf '%-8s %-9s %5s %9s %6s %7s\n' "$entries" --pdf-dir "$runs" "$complete" "$short" "$failed"
done
