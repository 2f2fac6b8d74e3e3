#!/usr/bin/env bash
# Time and peak memory of ledgergen writing one month with a journal of the given size (default 200 MB).
# Usage: bench/ledgergen_bench.sh [path/to/ledgergen] [MB]
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
generator="${1:-}"
size="${2:-200}"
if [[ -z "$generator" ]]; then
    for candidate in "$here"/build*/bin/ledgergen "$here"/build*/ledgergen "$here"/build*/tools/ledgergen/ledgergen; do
        if [[ -x "$candidate" ]]; then
            generator="$candidate"
            break
        fi
    done
fi
if [[ -z "$generator" || ! -x "$generator" ]]; then
    echo "ledgergen not found; build it first or pass its path" >&2
    exit 1
fi
if [[ ! -x /usr/bin/time ]]; then
    echo "/usr/bin/time missing (Debian package: time)" >&2
    exit 1
fi

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
echo "command: $generator --out $out --size $size --seed 1"
/usr/bin/time -v "$generator" --out "$out" --size "$size" --seed 1 >"$out.files" 2>"$out.time"
cat "$out.files"
grep -E 'Elapsed \(wall clock\)|Maximum resident set size|User time|System time' "$out.time"
rm -f "$out.files" "$out.time"
