#!/usr/bin/env bash
# Export against xsltproc: a generated journal and its kebir (ledgergen --size MB writes both), each
# exported to XLSX (and CSV) by verazidedaze-export and transformed by xsltproc with our own
# stylesheet (data/yevmiye.xslt, data/kebir.xslt). Wall time, CPU time and peak RSS of each, and
# the ratios. The bar: the XLSX export no slower than xsltproc, peak memory under 300 MB.
# A kebir is about 15 % smaller than its journal, so for the kebir the month is generated larger
# (split into two parts) and the second part's account blocks are moved into the first, which
# gives a single kebir of about MB megabytes (needs python3; without it the smaller kebir is used).
# Usage: bench/export_bench.sh [MB]                    (default 200)
# Environment: BUILD=build folder (default build).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"
exporter="$build/bin/verazidedaze-export"
generator="$build/bin/ledgergen"
size="${1:-200}"

for tool in "$exporter" "$generator" /usr/bin/time "$(command -v xsltproc || true)"; do
    if [[ -z "$tool" || ! -x "$tool" ]]; then
        echo "missing: ${tool:-xsltproc} (build verazidedaze-export and ledgergen; Debian packages time, xsltproc)" >&2
        exit 1
    fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Runs a command under /usr/bin/time -v; prints "wall_s cpu_s rss_mb" (cpu = user + system).
measure() {
    local output="$1"
    shift
    /usr/bin/time -v -o "$work/time" "$@" >"$output" 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    local wall rss cpu
    wall="$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time" |
        awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')"
    rss="$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")"
    cpu="$(awk -F': ' '/User time|System time/ { s += $2 } END { printf "%.2f", s }' "$work/time")"
    echo "$wall $cpu $((rss / 1024))"
}

"$generator" --out "$work/ledgers" --size "$size" --seed 7 >/dev/null
journal="$(ls "$work/ledgers"/*-Y-*.xml | head -n 1)"
kebir="$(ls "$work/ledgers"/*-K-*.xml | head -n 1)"
if command -v python3 >/dev/null; then
    "$generator" --out "$work/bigger" --size "$((size * 118 / 100))" --seed 7 >/dev/null
    kebir="$work/kebir.xml"
    python3 - "$work/bigger" "$kebir" <<'PY'
import glob, sys
parts = sorted(glob.glob(sys.argv[1] + "/*-K-00000[12].xml"))
if len(parts) < 2:  # a month this small is not split: its one kebir is already the size asked for
    parts = sorted(glob.glob(sys.argv[1] + "/*-K-000000.xml"))
    open(sys.argv[2], "wb").write(open(parts[0], "rb").read())
    sys.exit(0)
first, second = parts
head = open(first, "rb").read()
more = open(second, "rb").read()
start = more.index(b"<gl-cor:entryHeader>")
end = more.rindex(b"</gl-cor:entryHeader>") + len(b"</gl-cor:entryHeader>")
at = head.rindex(b"</gl-cor:accountingEntries>")
open(sys.argv[2], "wb").write(head[:at] + more[start:end] + b"\n    " + head[at:])
PY
    rm -rf "$work/bigger"
fi

echo "export:   $exporter [--csv] FILE OUT"
echo "xsltproc: xsltproc data/{yevmiye,kebir}.xslt FILE > /dev/null"
echo "Times in seconds: wall / cpu (user + system); ratio = export / xsltproc. The machine may be shared,"
echo "so compare CPU times as well as wall times."
echo
printf '%-8s %8s %-6s %18s %9s %18s %9s %11s %11s\n' kind MB format "export wall/cpu" "RSS MB" \
    "xsltproc wall/cpu" "RSS MB" "wall ratio" "RSS ratio"
for pair in "journal:$journal:yevmiye.xslt" "kebir:$kebir:kebir.xslt"; do
    IFS=: read -r kind file stylesheet <<<"$pair"
    mb="$(awk -v b="$(stat -c %s "$file")" 'BEGIN { printf "%.0f", b / 1048576 }')"
    read -r xwall xcpu xrss <<<"$(measure /dev/null xsltproc "$here/data/$stylesheet" "$file")"
    for format in xlsx csv; do
        flag=()
        [[ "$format" == csv ]] && flag=(--csv)
        read -r ewall ecpu erss <<<"$(measure /dev/null "$exporter" "${flag[@]}" "$file" "$work/out.$format")"
        summary="$(tail -n 1 "$work/err")"
        printf '%-8s %8s %-6s %18s %9s %18s %9s %11s %11s\n' "$kind" "$mb" "$format" "$ewall / $ecpu" "$erss" \
            "$xwall / $xcpu" "$xrss" "$(awk -v a="$ewall" -v b="$xwall" 'BEGIN { printf "%.2f", a / b }')" \
            "$(awk -v a="$erss" -v b="$xrss" 'BEGIN { printf "%.3f", a / b }')"
        echo "         ($summary; output $(($(stat -c %s "$work/out.$format") / 1048576)) MB)"
    done
done
