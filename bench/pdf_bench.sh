#!/usr/bin/env bash
# Whole journals to PDF, side by side: `verazidedaze-render --pdf` against Chromium's headless
# --print-to-pdf of the same file (browser start included), with our stylesheet beside it.
# For each size: seconds, pages (pdfinfo), pages per second, peak memory (/usr/bin/time -v: the
# largest single process; and the whole process tree, sampled) and the time ratio.
# Usage: bench/pdf_bench.sh [MB ...]     (default: 1.8 13 55; add 200 for the memory bar)
# Environment: BUILD=build folder (default build), CHROMIUM=0 skips the browser,
#              CHROMIUM_UP_TO=largest size in MB the browser is given (default 13: at 55 MB it
#              ran 618 s and failed above 7 GB), CHROMIUM_TIMEOUT=seconds before it is given up
#              (default 900).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"
render="$build/bin/verazidedaze-render"
generator="$build/bin/ledgergen"
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1.8 13 55)
use_chromium="${CHROMIUM:-1}"
chromium_up_to="${CHROMIUM_UP_TO:-13}"
chromium_timeout="${CHROMIUM_TIMEOUT:-900}"

for tool in "$render" "$generator"; do
    [[ -x "$tool" ]] || { echo "missing: $tool (build the project)" >&2; exit 1; }
done

# The yardstick and the measuring tools, from Debian; here only, not in setup.sh.
needed=(poppler-utils time)
[[ "$use_chromium" == 0 ]] || needed+=(chromium)
missing=()
for package in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    sudo=""
    [[ "$(id -u)" -eq 0 ]] || sudo="sudo"
    $sudo apt-get update
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# shellcheck source=webengine-env.sh
source "$(dirname "$0")/webengine-env.sh"

# The resident memory of process $1 and all its descendants, in kB.
tree_kb() {
    ps -e -o pid=,ppid=,rss= | awk -v root="$1" '
        { parent[$1] = $2; rss[$1] = $3 }
        END {
            for (p in parent) {
                for (q = p; q != "" && q != 0 && q != 1; q = parent[q])
                    if (q == root) { total += rss[p]; break }
            }
            print total + 0
        }'
}

# run NAME COMMAND...: times COMMAND; sets seconds, status, peak_mb (/usr/bin/time -v: the
# largest single process) and tree_mb (the whole process tree, sampled twice a second: the web
# engines' helper processes included).
run() {
    local name="$1"
    shift
    local start end pid now peak=0
    start=$(date +%s.%N)
    /usr/bin/time -v -o "$work/$name.time" "$@" >"$work/$name.out" 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        now=$(tree_kb "$pid")
        ((now > peak)) && peak=$now
        sleep 0.5
    done
    set +e
    wait "$pid"
    status=$?
    set -e
    end=$(date +%s.%N)
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.2f", b - a}')
    peak_mb=$(awk -F: '/Maximum resident/ {printf "%.0f", $2 / 1024}' "$work/$name.time")
    tree_mb=$((peak / 1024))
}

pages_of() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ {print $2}'; }
rate() { awk -v p="${1:-0}" -v s="$2" 'BEGIN {printf "%.1f", p / s}'; }

printf '%-8s %-9s %8s %6s %8s %8s %8s\n' size printer seconds pages pages/s "peak MB" "tree MB"
for size in "${sizes[@]}"; do
    folder="$work/$size"
    mkdir -p "$folder"
    "$generator" --out "$folder" --size "$size" --seed 1 >/dev/null
    cp "$build/bin/yevmiye.xslt" "$folder"/
    journal="$(ls "$folder"/*-Y-*.xml)"
    sync # written back before the measuring starts

    run ours "$render" --pdf "$folder/ours.pdf" "$journal"
    ours_s=$seconds
    ours_pages=$(pages_of "$folder/ours.pdf")
    [[ $status -eq 0 ]] || { echo "verazidedaze-render failed ($status):"; tail -5 "$work/ours.out"; }
    printf '%-8s %-9s %8.1f %6s %8s %8s %8s\n' "$size" ours "$ours_s" "${ours_pages:-0}" \
        "$(rate "$ours_pages" "$ours_s")" "$peak_mb" "$tree_mb"

    if [[ "$use_chromium" != 0 ]] && awk -v s="$size" -v m="$chromium_up_to" 'BEGIN {exit !(s <= m)}'; then
        rm -rf "$work/profile"
        run chromium timeout "$chromium_timeout" chromium --headless --no-sandbox --disable-gpu \
            --no-first-run --disable-background-networking --disable-component-update --disable-sync \
            --user-data-dir="$work/profile" --allow-file-access-from-files \
            --print-to-pdf="$folder/chromium.pdf" "file://$journal"
        chromium_pages=$(pages_of "$folder/chromium.pdf")
        [[ -n "$chromium_pages" ]] || echo "chromium: no file (status $status)"
        printf '%-8s %-9s %8.1f %6s %8s %8s %8s\n' "$size" chromium "$seconds" "${chromium_pages:-0}" \
            "$(rate "$chromium_pages" "$seconds")" "$peak_mb" "$tree_mb"
        [[ -z "$chromium_pages" ]] ||
            printf '%-8s time ours/chromium %s\n' "$size" "$(awk -v a="$ours_s" -v b="$seconds" 'BEGIN {printf "%.2f", a / b}')"
    fi
    rm -rf "$folder" "$work/profile"
done
