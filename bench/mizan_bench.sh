#!/usr/bin/env bash
# Mizan and ekstre over a generated fiscal year of 12 journals of 200 MB (2.4 GB), against the limit
# they are measured by: libxml2's stream reader parsing the same journals on one core (xmllint --stream).
# Bars: each at least 100 MB/s over the whole folder on this machine, peak memory at most 300 MB.
# Usage: bench/mizan_bench.sh [BUILD_DIR] [RUNS] [ACCOUNT]
# KEEP=DIR keeps the generated year in DIR/year200 and reuses it (its READY file marks it complete).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
runs="${2:-1}"
account="${3:-102}"
generator="$build/bin/ledgergen"
exporter="$build/bin/verazidedaze-export"
for tool in "$generator" "$exporter"; do
    [[ -x "$tool" ]] || { echo "$tool not found; build ledgergen and verazidedaze-export first" >&2; exit 1; }
done
for tool in xmllint /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "$tool missing (Debian packages: libxml2-utils, time)" >&2; exit 1; }
done

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
data="${KEEP:-$out/data}/year200"
if [[ ! -f "$data/READY" ]]; then
    echo "generating 12 journals of 200 MB into $data (with their kebir, berats and reports: about 4.5 GB)" >&2
    "$generator" --out "$data" --roots "$data.roots" --months 2025-01..2025-12 --size 200 --seed 1 >/dev/null
    touch "$data/READY"
fi
journals=("$data"/*-Y-*.xml)
bytes=$(cat "${journals[@]}" | wc -c) # also brings the files into the page cache for every run alike
mb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1048576 }')
cores=$(nproc)
echo "journals: ${#journals[@]} files, $mb MB; $cores cores; load $(cut -d' ' -f1-3 /proc/loadavg)"

source "$here/bench/measure.sh"

# The best of the runs: prints "wall cpu rss_kb".
best() {
    local bestWall="" line
    for ((r = 0; r < runs; r++)); do
        line=$(measure "$@")
        read -r wall cpu rss code <<<"$line"
        if [[ "$code" != 0 ]]; then
            echo "failed ($code): $*" >&2
            cat "$out/stderr" >&2
            exit 1
        fi
        if [[ -z "$bestWall" ]] || awk -v a="$wall" -v b="$bestWall" 'BEGIN { exit !(a < b) }'; then
            bestWall=$wall
            bestLine="$wall $cpu $rss"
        fi
    done
    echo "$bestLine"
}

report() { # label, "wall cpu rss", bar?
    local label="$1" wall cpu rss
    read -r wall cpu rss <<<"$2"
    awk -v l="$label" -v w="$wall" -v c="$cpu" -v r="$rss" -v mb="$mb" -v bar="${3:-}" 'BEGIN {
        speed = mb / w; peak = r / 1024
        printf "%-34s %7.2f s wall %7.2f s cpu %7.1f MB/s  peak %6.1f MB", l, w, c, speed, peak
        if (bar == "bar") printf "  [%s speed, %s memory]", (speed >= 100 ? "met" : "MISSED"), (peak <= 300 ? "met" : "MISSED")
        printf "\n" }'
}

# xmllint parses one file after another on one core: the reader's own speed, nothing done with the nodes.
reader=$(best bash -c 'for f in "$@"; do xmllint --stream --noout --huge "$f" || exit 1; done' _ "${journals[@]}")
report "libxml2 reader, 1 core (xmllint)" "$reader"
mizan=$(best "$exporter" --mizan "$out/mizan.csv" "$data")
report "verazidedaze-export --mizan" "$mizan" bar
ekstre=$(best "$exporter" --ekstre "$account" "$out/ekstre.csv" "$data")
report "verazidedaze-export --ekstre $account" "$ekstre" bar
echo "ekstre rows: $(($(wc -l <"$out/ekstre.csv") - 1)); mizan rows: $(($(wc -l <"$out/mizan.csv") - 1))"
awk -v r="${reader%% *}" -v m="${mizan%% *}" -v e="${ekstre%% *}" -v c="$cores" 'BEGIN {
    printf "speed against the one-core reader: mizan %.2f×, ekstre %.2f× (at most %d× with %d cores)\n", r / m, r / e, c, c }'
