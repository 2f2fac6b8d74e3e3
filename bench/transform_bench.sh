#!/usr/bin/env bash
# The engine's transform against xsltproc on the same generated journal and the same stylesheet
# (bench/baseline-rows.xslt), in one run: wall time, ratio and peak RSS of each, plus the
# phases each reports. Outputs are compared byte for byte, so both did the same work.
# Usage: bench/transform_bench.sh [MB ...]            (default: 1 10 50 200)
# Environment: BUILD=build folder (default build), REPEAT=runs per size and tool below 200 MB
#              (default 3; the best is kept; 200 MB and more run once).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"
render="$build/bin/verazidedaze-render"
generator="$build/bin/ledgergen"
stylesheet="$here/bench/baseline-rows.xslt"
repeat="${REPEAT:-3}"
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1 10 50 200)

for tool in "$render" "$generator" /usr/bin/time "$(command -v xsltproc || true)"; do
    if [[ -z "$tool" || ! -x "$tool" ]]; then
        echo "missing: ${tool:-xsltproc} (build the project; Debian packages time, xsltproc)" >&2
        exit 1
    fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Runs a command under /usr/bin/time -v; prints "wall_s cpu_s rss_mb" (cpu = user + system) and
# leaves its stderr in $work/err.
measure() {
    local output="$1"
    shift
    /usr/bin/time -v -o "$work/time" "$@" >"$output" 2>"$work/err"
    local wall rss
    wall="$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time" |
        awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')"
    rss="$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")"
    cpu="$(awk -F': ' '/User time|System time/ { s += $2 } END { printf "%.2f", s }' "$work/time")"
    echo "$wall $cpu $((rss / 1024))"
}

best() { # the run with the least CPU time of N: "wall_s cpu_s rss_mb"
    local runs="$1" output="$2"
    shift 2
    local result best=""
    for ((i = 0; i < runs; i++)); do
        result="$(measure "$output" "$@")"
        read -r wall cpu rss <<<"$result"
        if [[ -z "$best" ]] || awk -v a="$cpu" -v b="${best#* }" 'BEGIN { exit !(a + 0 < b + 0) }'; then
            best="$result"
            cp "$work/err" "$work/best_err"
        fi
    done
    echo "$best"
}

echo "engine:   $render --timing FILE   (stylesheet copied beside the file as the name its PI asks for)"
echo "xsltproc: xsltproc --timing $stylesheet FILE"
echo "Times in seconds: wall / cpu (user + system); ratio = engine / xsltproc. The machine is shared, so"
echo "cpu time is the steadier figure; each tool's best of the runs (by cpu) is shown."
printf '%-5s %-8s %-13s %-13s %-11s %-11s %-12s %s\n' "MB" "file MB" "engine" "xsltproc" "ratio" \
    "engine RSS" "xsltproc RSS" "output"
for size in "${sizes[@]}"; do
    folder="$work/$size"
    "$generator" --out "$folder" --size "$size" --seed 1 >/dev/null
    ledger="$(ls -S "$folder"/*-Y-*.xml | head -n 1)"
    pi="$(grep -o -m1 'href="[^"]*"' "$ledger" | head -n 1 | sed 's/href="\(.*\)"/\1/')"
    cp "$stylesheet" "$folder/$pi"
    runs="$repeat"
    awk -v s="$size" 'BEGIN { exit !(s >= 200) }' && runs=1

    read -r engine_s engine_cpu engine_rss <<<"$(best "$runs" "$work/engine.html" "$render" --timing "$ledger")"
    engine_phases="$(grep -h 'zaman' "$work/best_err" || true)"
    read -r xslt_s xslt_cpu xslt_rss <<<"$(best "$runs" "$work/xsltproc.html" xsltproc --timing "$stylesheet" "$ledger")"
    xslt_phases="$(grep -h 'took' "$work/best_err" | tr '\n' ';' || true)"

    same="identical"
    cmp -s "$work/engine.html" "$work/xsltproc.html" || same="DIFFERENT"
    file_mb="$(awk -v b="$(stat -c %s "$ledger")" 'BEGIN { printf "%.1f", b / 1048576 }')"
    ratio="$(awk -v a="$engine_s" -v b="$xslt_s" -v c="$engine_cpu" -v d="$xslt_cpu" \
        'BEGIN { printf "%.2f / %.2f", (b > 0 ? a / b : 0), (d > 0 ? c / d : 0) }')"
    printf '%-5s %-8s %-13s %-13s %-11s %-11s %-12s %s\n' "$size" "$file_mb" "$engine_s / $engine_cpu" \
        "$xslt_s / $xslt_cpu" "$ratio" "${engine_rss} MB" "${xslt_rss} MB" "$same"
    echo "       engine   $engine_phases"
    echo "       xsltproc $xslt_phases"
    rm -rf "$folder" "$work/engine.html" "$work/xsltproc.html"
done
