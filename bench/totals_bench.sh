#!/usr/bin/env bash
# The selection window's Mizan over a folder of journals: reading time, then (a) job end → the viewer's first
# screen (bar 1 s) and (b) the GUI's longest block from the command to that screen (bar 100 ms).
# usage: bench/totals_bench.sh [FOLDER] [RUNS]
# Without FOLDER a fiscal year of 5 MB months is generated (ledgergen --months 2025-01..2025-12 --size 5).
# RUNS (default 2): the first opens the viewer window, the others reuse it. The web engine is started first, as
# the program starts it half a second after its window shows; COLD=1 leaves that out, so the first run pays it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin"
for tool in "$bin/verazidedaze-totalsbench" "$bin/ledgergen"; do
    [[ -x "$tool" ]] || { echo "$tool not found; build verazidedaze-totalsbench and ledgergen first" >&2; exit 1; }
done
source "$root/bench/webengine-env.sh"
folder="${1:-}"
if [[ -z "$folder" ]]; then
    folder="$work/year"
    "$bin/ledgergen" --out "$folder" --months 2025-01..2025-12 --size 5 --seed 1 >/dev/null
fi
echo "== $folder: $(ls "$folder" | grep -c -- '-Y-') journals, $(du -sm "$folder" | cut -f1) MB;" \
    "load $(uptime | sed 's/.*load average: //')"
run=("$bin/verazidedaze-totalsbench" "$folder" "${2:-2}")
if [[ -z "${DISPLAY:-}" ]]; then
    run=(xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "${run[@]}")
fi
"${run[@]}"
