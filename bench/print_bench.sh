#!/usr/bin/env bash
# Printing large ledgers: for generated journals of the given sizes, pages 1–PAGES printed to a
# PDF file through the print preview (time from the request to the finished file, pages, peak
# memory of the whole process tree). Then, for each PREVIEW_MB journal, in one run: the headless
# printer's whole PDF (verazidedaze-render --pdf, start to finish), the preview shown whole
# (first page, every page, pages a second, the GUI thread's longest block) and the whole printed
# to a PDF file from the preview (Yazdır at once, to the written file), with its time against
# the headless printer's.
# Usage: bench/print_bench.sh [MB ...]        (default: 13 50 200)
# Environment: BUILD=build folder (default build), PAGES (default 100),
#              STYLESHEETS=folder of the real stylesheets copied beside the ledgers
#              (default: the program folder's), PREVIEW_MB=sizes of the journals previewed
#              whole (default 13; 0 skips them), KEEP_PDF=where to keep the last printed PDF.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"
bench="$build/bin/print_bench"
generator="$build/bin/ledgergen"
stylesheets="${STYLESHEETS:-$build/bin}"
pages="${PAGES:-100}"
preview_mb="${PREVIEW_MB:-13}"
render="$build/bin/verazidedaze-render"
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(13 50 200)

for tool in "$bench" "$generator" "$render"; do
    [[ -x "$tool" ]] || { echo "missing: $tool (build the project)" >&2; exit 1; }
done
if [[ -z "${DISPLAY:-}" ]]; then
    echo "needs a display: run under xvfb-run -a" >&2
    exit 1
fi
[[ "$(id -u)" -ne 0 ]] || export QTWEBENGINE_DISABLE_SANDBOX=1
export QT_LOGGING_RULES="${QT_LOGGING_RULES:-qt.webenginecontext.info=false}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

journal() { # journal SIZE_MB -> path of a generated journal with the stylesheets beside it
    local folder="$work/$1"
    mkdir -p "$folder"
    "$generator" --out "$folder" --size "$1" --seed 1 >/dev/null
    cp "$stylesheets"/*.xslt "$folder"/
    sync # written back before the measuring starts
    ls "$folder"/*-Y-*.xml
}

for size in "${sizes[@]}"; do
    echo "== journal of $size MB: pages 1-$pages to a PDF file"
    "$bench" range "$(journal "$size")" "$pages" 2>/dev/null | grep -v '^js:' || echo "failed ($?)"
    rm -rf "${work:?}/$size"
done
seconds() { date +%s.%N; }
[[ "$preview_mb" == 0 ]] && exit 0
for size in $preview_mb; do
    ledger="$(journal "$size")"
    echo "== journal of $size MB: whole, headless and from the preview"
    start="$(seconds)"
    "$render" --pdf "$work/headless.pdf" "$ledger" >/dev/null 2>&1 || echo "headless failed ($?)"
    headless="$(echo "$(seconds) - $start" | bc)"
    printf 'headless: verazidedaze-render --pdf %.1f s\n' "$headless"
    "$bench" preview "$ledger" 2>/dev/null | grep -v '^js:' || echo "failed ($?)"
    whole="$("$bench" whole "$ledger" 2>/dev/null | grep -v '^js:')" || echo "failed ($?)"
    echo "$whole"
    fromPreview="$(sed -n 's/^whole print to PDF from the preview: \([0-9.]*\) s.*/\1/p' <<<"$whole")"
    [[ -z "$fromPreview" ]] || printf 'whole print from the preview / headless: %.2f\n' \
        "$(echo "$fromPreview / $headless" | bc -l)"
    rm -rf "${work:?}/$size" "$work/headless.pdf"
done
