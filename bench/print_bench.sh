#!/usr/bin/env bash
# Printing large ledgers: for generated journals of the given sizes, pages 1–PAGES printed to a
# PDF file through the print preview (time from the request to the finished file, pages, peak
# memory of the whole process tree), then a journal of about 500 pages previewed whole.
# Usage: bench/print_bench.sh [MB ...]        (default: 13 50 200)
# Environment: BUILD=build folder (default build), PAGES (default 100),
#              STYLESHEETS=folder of the real stylesheets copied beside the ledgers
#              (default: the program folder's), PREVIEW_MB=size of the ~500-page journal
#              (default 11.5; 0 skips it), KEEP_PDF=where to keep the last printed PDF.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"
bench="$build/bin/print_bench"
generator="$build/bin/ledgergen"
stylesheets="${STYLESHEETS:-$build/bin}"
pages="${PAGES:-100}"
preview_mb="${PREVIEW_MB:-11.5}"
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(13 50 200)

for tool in "$bench" "$generator"; do
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
if [[ "$preview_mb" != 0 ]]; then
    echo "== journal of $preview_mb MB (about 500 pages): whole preview"
    "$bench" preview "$(journal "$preview_mb")" 2>/dev/null | grep -v '^js:' || echo "failed ($?)"
fi
