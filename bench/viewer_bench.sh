#!/usr/bin/env bash
# Generates journals and kebirs of the given sizes (MB) and measures how the viewer shows them.
# usage: bench/viewer_bench.sh [--whole] [SIZE_MB...]   (default: 13 50 200)
# REPEAT=runs per ledger (default 3): the best times are kept, the worst GUI block and memory.
# VZ_VERIFY=1: then the viewer's signature check of each shown ledger, and the GUI block meanwhile.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin"
whole=()
[ "${1:-}" = "--whole" ] && { whole=(--whole); shift; }
sizes=("${@:-13 50 200}")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"; mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_LOGGING_RULES="qt.webenginecontext.info=false"
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
files=()
for size in ${sizes[@]}; do
    mkdir -p "$work/$size"
    "$bin/ledgergen" --out "$work/$size" --size "$size" --seed 7 > /dev/null
    cp "$bin"/*.xslt "$work/$size/"
    files+=("$(ls "$work/$size"/*-Y-0000*.xml | head -1)" "$(ls "$work/$size"/*-K-0000*.xml | head -1)")
done
# And a kebir with one account of 50,000 lines, as at a busy bank account.
if [ -z "${NO_BIG_ACCOUNT:-}" ]; then
    mkdir -p "$work/big"
    "$bin/ledgergen" --out "$work/big" --entries 400 --seed 7 --big-account-lines 50000 > /dev/null
    cp "$bin"/*.xslt "$work/big/"
    files+=("$(ls "$work/big"/*-K-0000*.xml | head -1)")
fi
# The generated files written back to disk first: not while the viewer is measured.
sync
xvfb-run -a -s "-screen 0 1280x1024x24" "$bin/verazidedaze-viewerbench" "${whole[@]}" "${files[@]}" 2>/dev/null
