#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for SECONDS, starting
# from seed inputs made by ledgergen; prints one line per target: executions, coverage, findings.
# Inputs that crash, or take more than 10 s or 2 GB, are kept in build-fuzz/findings/, the grown
# corpora in build-fuzz/corpus/.
# usage: scripts/fuzz.sh SECONDS [TARGET...]   (default: every fuzz_* target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}"
shift
targets=(fuzz_render fuzz_stylesheet fuzz_pieces fuzz_prefix fuzz_foldermemory fuzz_urlmapping fuzz_search
         fuzz_verify fuzz_export fuzz_preflight)
[ $# -eq 0 ] || targets=("$@")

# libFuzzer's runtime comes with Debian's clang.
for package in clang libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
        { [ "$(id -u)" -eq 0 ] || sudo=sudo; ${sudo:-} apt-get install -y --no-install-recommends "$package"; }
done

out=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERAZIDEDAZE_FUZZ=ON > /dev/null
cmake --build "$out" -j"$(nproc)" --target "${targets[@]}"
# The seeds come from the normal build's generator when there is one: an instrumented copy is slow.
ledgergen=build/bin/ledgergen
if [ ! -x "$ledgergen" ]; then
    cmake --build "$out" -j"$(nproc)" --target ledgergen
    ledgergen="$out/bin/ledgergen"
fi

seeds="$out/seeds"
if [ ! -d "$seeds" ]; then
    mkdir -p "$seeds"/{ledgers,html,foldermemory,urlmapping,search,stylesheets}
    generated="$(mktemp -d)"
    for seed in 1 2 3; do
        "$ledgergen" --out "$generated/$seed" --entries 3 --seed "$seed" > /dev/null
    done
    "$ledgergen" --out "$generated/person" --entries 2 --taxpayer person --branch --seed 4 > /dev/null
    "$ledgergen" --out "$generated/attached" --entries 2 --attachments 1 --seed 5 > /dev/null
    for folder in "$generated"/*/; do cp data/*.xslt "$folder"; done
    n=0
    for file in "$generated"/*/*.xml; do
        n=$((n + 1))
        cp "$file" "$seeds/ledgers/$n.xml"
        # The rendered page, as the piece cutter gets it.
        xsltproc "$file" > "$seeds/html/$n.html" 2> /dev/null || rm -f "$seeds/html/$n.html"
    done
    rm -rf "$generated"
    cp data/*.xslt "$seeds/stylesheets/"
    printf '/ []\t/tmp\r\n' > "$seeds/foldermemory/1"
    printf 'C: [SİSTEM]\tC:\\Defterler\\2024\r\n' > "$seeds/foldermemory/2"
    printf '/\t/\n' > "$seeds/foldermemory/3"
    for text in 'stil.css' 'img/a%20b.png' 'eski/gizli.txt' '../gizli.txt' '%2e%2e/x' 'file:///home/a b/x.xml' \
                'file://C:/Defterler/a.xml' 'file:////sunucu/pay/x.xml'; do
        printf '%s' "$text" > "$seeds/urlmapping/$(printf '%s' "$text" | md5sum | cut -c1-8)"
    done
    printf 'ış\0<p>IŞIK ışık <script>ış</script> &#305;&#351;</p>' > "$seeds/search/1"
    printf 'İ\0<div data-vz-repeat="1">İi</div><p>iİıI</p>' > "$seeds/search/2"
fi

seedsOf() {
    case "$1" in
    fuzz_render | fuzz_prefix | fuzz_verify | fuzz_export | fuzz_preflight) echo "$seeds/ledgers" ;;
    fuzz_stylesheet) echo "$seeds/stylesheets" ;;
    fuzz_pieces) echo "$seeds/html" ;;
    fuzz_foldermemory) echo "$seeds/foldermemory" ;;
    fuzz_urlmapping) echo "$seeds/urlmapping" ;;
    fuzz_search) echo "$seeds/search" ;;
    esac
}

mkdir -p "$out/findings" "$out/logs"
printf '%-18s %10s %8s %8s %9s\n' target executions cov ft findings
for target in "${targets[@]}"; do
    corpus="$out/corpus/$target"
    mkdir -p "$corpus"
    log="$out/logs/$target.log"
    before=$(ls "$out/findings" | grep -c "^$target-" || true)
    # Findings do not stop the run: each crash is kept and the next target runs. An input that
    # takes more than 10 s or 2 GB is a finding too: every tool must answer any file in that.
    "$out/fuzz/$target" "$corpus" "$(seedsOf "$target")" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=262144 -print_final_stats=1 \
        -artifact_prefix="$out/findings/$target-" > "$log" 2>&1 || true
    after=$(ls "$out/findings" | grep -c "^$target-" || true)
    executions=$(grep -oE '^stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo "?")
    [ -n "$executions" ] || executions=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
    cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+' || echo "?")
    ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+' || echo "?")
    printf '%-18s %10s %8s %8s %9s\n' "$target" "${executions:-?}" "$cov" "$ft" "$((after - before))"
done
