#!/usr/bin/env bash
# A long working day in one run of the viewer: small ledgers and some 13 MB ones, shown,
# scrolled, searched and closed in turn, every 50th printed to PDF. Prints memory, threads and
# file handles after the first 20 ledgers and after all.
# usage: bench/soak_bench.sh [LEDGERS]   (default 300)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin"
cmake --build "$root/build" --target verazidedaze-soakbench ledgergen -j2 > /dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"; mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_LOGGING_RULES="qt.webenginecontext.info=false"
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
small=()
for seed in 1 2 3 4 5 6 7 8 9; do
    "$bin/ledgergen" --out "$work/s$seed" --entries $((50 * seed)) --seed "$seed" > /dev/null
    small+=("$work"/s$seed/*-Y-0000*.xml "$work"/s$seed/*-K-0000*.xml)
done
"$bin/ledgergen" --out "$work/big" --size 13 --seed 7 > /dev/null
big=("$work"/big/*-Y-0000*.xml "$work"/big/*-K-0000*.xml)
# Nine small ledgers, then a 13 MB one, round and round.
files=()
for i in "${!small[@]}"; do
    files+=("${small[$i]}")
    [ $((i % 9)) -ne 8 ] || files+=("${big[$(((i / 9) % 2))]}")
done
sync
LEDGERS="${1:-300}" xvfb-run -a -s "-screen 0 1280x1024x24" "$bin/verazidedaze-soakbench" "${files[@]}" 2>/dev/null
