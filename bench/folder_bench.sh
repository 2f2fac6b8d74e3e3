#!/usr/bin/env bash
# Time and peak memory of verazidedaze-verify FOLDER (every signature and the set report) against
# xmlsec1 --verify over the same files one after another, on two generated folders:
#   year   a fiscal year of 12 months, 13 MB journals with their kebir, berats and defter raporu;
#          bars: time at most 1.2 × xmlsec1's, peak memory at most that of verifying the largest file alone
#   split  one 400 MB month in two parts of 200 MB; bars: time at most 1.2 × xmlsec1's, peak at most 2.5 GB
# Both tools check the certificate chain against the roots ledgergen writes. xmlsec1 checks one signature per
# file (a GİB berat's first); verazidedaze-verify checks GİB's counter-signature and the set as well.
# Usage: bench/folder_bench.sh [BUILD_DIR] [year|split|both] [RUNS]
# KEEP=DIR keeps the generated folders in DIR (DIR/year, DIR/split) and reuses them on the next run.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
which="${2:-year}"
runs="${3:-1}"
generator="$build/bin/ledgergen"
verifier="$build/bin/verazidedaze-verify"
for tool in "$generator" "$verifier"; do
    [[ -x "$tool" ]] || { echo "$tool not found; build ledgergen and verazidedaze-verify first" >&2; exit 1; }
done
for tool in xmlsec1 /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "$tool missing (Debian packages: xmlsec1, time)" >&2; exit 1; }
done

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
data="${KEEP:-$out/data}"
mkdir -p "$data"

# A whole year at once where ledgergen can write one (serials and numbers carried on); else month by month.
generate_year() { # folder
    if "$generator" --help | grep -q -- '--months'; then
        "$generator" --out "$1" --roots "$1.roots" --months 2025-01..2025-12 --size 13 --seed 1 >/dev/null
        return
    fi
    echo "ledgergen has no --months yet: months written one by one, so the set check will find breaks" >&2
    for m in 01 02 03 04 05 06 07 08 09 10 11 12; do
        "$generator" --out "$1" --roots "$1.roots" --month "2025-$m" --size 13 --seed 1 >/dev/null
    done
}

generate_split() { # folder
    "$generator" --out "$1" --roots "$1.roots" --month 2025-03 --size 400 --seed 1 >/dev/null
}

source "$here/bench/measure.sh"

best() { # variable prefix, label, command...
    local var="$1" label="$2"
    shift 2
    local best_wall="" best_cpu="" best_rss=0 code=0
    for _ in $(seq "$runs"); do
        read -r wall cpu rss code < <(measure "$@")
        if [[ -z "$best_wall" ]] || awk "BEGIN { exit !($wall < $best_wall) }"; then best_wall="$wall"; fi
        if [[ -z "$best_cpu" ]] || awk "BEGIN { exit !($cpu < $best_cpu) }"; then best_cpu="$cpu"; fi
        (( rss > best_rss )) && best_rss="$rss"
    done
    printf '%-34s best wall %7.2f s   best cpu %7.2f s   peak rss %6d MB   exit %d\n' "$label" "$best_wall" \
        "$best_cpu" $(( best_rss / 1024 )) "$code"
    eval "${var}_wall=$best_wall ${var}_cpu=$best_cpu ${var}_rss=$best_rss ${var}_code=$code"
}

# xmlsec1 over every file of the folder, one after another; stops at the first it does not verify.
xmlsec_all() { # roots folder, files...
    local roots="$1"
    shift
    local pems=()
    for pem in "$roots"/*.pem; do pems+=(--trusted-pem "$pem"); done
    for f in "$@"; do
        xmlsec1 --verify --enabled-key-data x509 "${pems[@]}" --id-attr:Id SignedProperties "$f" 2>/dev/null ||
            { echo "xmlsec1 did not verify $f" >&2; return 1; }
    done
}

bench() { # name, generator, peak bar in MB (0: the largest file's peak)
    local name="$1" folder="$data/$1" bar_kb=$(( $3 * 1024 ))
    if [[ ! -d "$folder" ]]; then # written aside and renamed, so that KEEP never reuses half a folder
        rm -rf "$folder.new" "$folder.new.roots"
        "$2" "$folder.new"
        mv "$folder.new.roots" "$folder.roots"
        mv "$folder.new" "$folder"
    fi
    local files=("$folder"/*.xml)
    local largest
    largest="$(ls -S "${files[@]}" | sed -n 1p)" # sed reads on: no SIGPIPE for pipefail
    echo "== $name: ${#files[@]} files, $(du -sm "$folder" | cut -f1) MB, largest $(basename "$largest")" \
        "($(( $(stat -c %s "$largest") / 1048576 )) MB); runs $runs; load $(uptime | sed 's/.*load average: //')"
    export -f xmlsec_all
    best xmlsec "xmlsec1 --verify, file by file" bash -c 'xmlsec_all "$@"' _ "$folder.roots" "${files[@]}"
    ((xmlsec_code == 0)) || { echo "xmlsec1 failed; see above" >&2; exit 1; }
    best largest "verazidedaze-verify LARGEST_FILE" "$verifier" --roots "$folder.roots" "$largest"
    best ours "verazidedaze-verify FOLDER" "$verifier" --roots "$folder.roots" "$folder"
    if ((ours_code != 0)); then
        echo "verazidedaze-verify FOLDER ended with exit $ours_code; its last lines:"
        tail -n 8 "$out/stdout"
    fi
    ((bar_kb > 0)) || bar_kb="$largest_rss"
    awk -v a="$ours_wall" -v b="$xmlsec_wall" -v c="$ours_cpu" -v d="$xmlsec_cpu" -v rss="$ours_rss" \
        -v bar="$bar_kb" 'BEGIN {
            printf "ratio verazidedaze-verify FOLDER / xmlsec1: wall %.2f, cpu %.2f (bar: at most 1.2) %s\n",
                a / b, c / d, (a / b <= 1.2) ? "met" : "MISSED"
            printf "peak rss FOLDER %d KB, bar %d KB: %s\n", rss, bar, (rss <= bar) ? "met" : "MISSED" }'
}

case "$which" in
year) bench year generate_year 0 ;;
split) bench split generate_split 2560 ;;
both)
    bench year generate_year 0
    bench split generate_split 2560
    ;;
*)
    echo "usage: $0 [BUILD_DIR] [year|split|both] [RUNS]" >&2
    exit 64
    ;;
esac
