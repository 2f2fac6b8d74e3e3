#!/usr/bin/env bash
# Time and peak memory of verazidedaze-verify against xmlsec1 --verify on one generated journal (default 200 MB).
# Usage: bench/verify_bench.sh [BUILD_DIR] [MB] [RUNS] [rsa|ecdsa]
# With ecdsa the journal is signed as today's e-seals sign (P-384, value DER-encoded), which xmlsec1 refuses;
# xmlsec1 gets the same journal with the same signature written as r‖s (ledgergen --key ecdsa-raw, same seed).
# Prints, for each tool, the best wall time, its CPU time (user + system) and peak resident memory, then the
# ratios. CPU time is shown as well because the wall time suffers when other work shares the machine.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
size="${2:-200}"
runs="${3:-3}"
key="${4:-rsa}"
generator="$build/bin/ledgergen"
verifier="$build/bin/verazidedaze-verify"
for tool in "$generator" "$verifier"; do
    if [[ ! -x "$tool" ]]; then
        echo "$tool not found; build ledgergen and verazidedaze-verify first" >&2
        exit 1
    fi
done
for tool in xmlsec1 /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "$tool missing (Debian packages: xmlsec1, time)" >&2; exit 1; }
done

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$generator" --out "$out/set" --size "$size" --seed 1 --key "$key" >/dev/null
journal="$(ls "$out"/set/*-Y-*.xml | head -n 1)"
xmlsec_journal="$journal"
if [[ "$key" == ecdsa ]]; then
    "$generator" --out "$out/rs" --size "$size" --seed 1 --key ecdsa-raw >/dev/null
    xmlsec_journal="$(ls "$out"/rs/*-Y-*.xml | head -n 1)"
fi
echo "journal: $(basename "$journal") ($(( $(stat -c %s "$journal") / 1048576 )) MB), key $key"

# One run: prints "wall cpu rss_kb" and fails if the tool did not verify the file.
measure() {
    local log="$out/time.log"
    if ! /usr/bin/time -v -o "$log" "$@" >"$out/stdout" 2>"$out/stderr"; then
        echo "failed: $*" >&2
        cat "$out/stdout" "$out/stderr" >&2
        exit 1
    fi
    awk -F': ' '
        /Elapsed \(wall clock\)/ { n = split($2, p, ":"); wall = (n == 3) ? p[1] * 3600 + p[2] * 60 + p[3] : p[1] * 60 + p[2] }
        /User time/ { cpu += $2 } /System time/ { cpu += $2 }
        /Maximum resident set size/ { rss = $2 }
        END { printf "%.2f %.2f %d\n", wall, cpu, rss }' "$log"
}

best() { # variable prefix, label, command...
    local var="$1" label="$2"
    shift 2
    local best_wall="" best_cpu="" best_rss=0
    for _ in $(seq "$runs"); do
        read -r wall cpu rss < <(measure "$@")
        if [[ -z "$best_wall" ]] || awk "BEGIN { exit !($wall < $best_wall) }"; then best_wall="$wall"; fi
        if [[ -z "$best_cpu" ]] || awk "BEGIN { exit !($cpu < $best_cpu) }"; then best_cpu="$cpu"; fi
        (( rss > best_rss )) && best_rss="$rss"
    done
    printf '%-22s best wall %7.2f s   best cpu %7.2f s   peak rss %6d MB\n' "$label" "$best_wall" "$best_cpu" \
        $(( best_rss / 1024 ))
    eval "${var}_wall=$best_wall ${var}_cpu=$best_cpu"
}

echo "runs per tool: $runs"
best xmlsec "xmlsec1 --verify" xmlsec1 --verify --enabled-key-data x509 --insecure --id-attr:Id SignedProperties \
    "$xmlsec_journal"
best ours "verazidedaze-verify" "$verifier" "$journal"
awk -v a="$ours_wall" -v b="$xmlsec_wall" -v c="$ours_cpu" -v d="$xmlsec_cpu" \
    'BEGIN { printf "ratio verazidedaze-verify / xmlsec1: wall %.2f, cpu %.2f (bar: at most 1.5)\n", a / b, c / d }'
