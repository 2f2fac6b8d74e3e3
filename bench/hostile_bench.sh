#!/usr/bin/env bash
# Times verazidedaze-render (HTML), -verify and -export on hostile and odd inputs of at most 20 MB:
# shapes that are slow for libxml2 or XML canonicalisation, at and beyond the limits the tools
# refuse, huge text, pipes, devices, a runaway stylesheet and a plain 20 MB journal. Each hostile
# shape sits inside a small signed journal, so every tool reads it as a ledger.
# Usage: bench/hostile_bench.sh [BUILD_DIR] [TIMEOUT_S] [SHAPE...]
# Prints one line per shape: for each tool the wall and CPU seconds, peak memory (MB) and exit code
# ("t/o" when the tool ran past TIMEOUT_S, default 60). The bar: every cell under 10 s and 2048 MB.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
limit="${2:-60}"
shift $(( $# > 2 ? 2 : $# ))
bin="$build/bin"
for tool in ledgergen verazidedaze-render verazidedaze-verify verazidedaze-export; do
    [[ -x "$bin/$tool" ]] || { echo "$bin/$tool not found; build it first" >&2; exit 1; }
done
command -v /usr/bin/time >/dev/null || { echo "/usr/bin/time missing (Debian package: time)" >&2; exit 1; }
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=offscreen

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$bin/ledgergen" --out "$out/small" --entries 3 --seed 1 >/dev/null
"$bin/ledgergen" --out "$out/big" --size 19.5 --seed 2 >/dev/null
cp "$here"/data/*.xslt "$out/small/"
cp "$here"/data/*.xslt "$out/big/"
mkdir -p "$out/shapes"
small="$(ls "$out"/small/*-Y-*.xml | head -n 1)"

python3 - "$small" "$out/shapes" <<'EOF'
import os, sys
base = open(sys.argv[1], 'rb').read()
folder = sys.argv[2]
# Inside the xbrl element: after the root, where every tool reads on.
at = base.index(b'>', base.index(b'<xbrli:xbrl')) + 1
MB = 1 << 20

def shape(name, block):
    with open(os.path.join(folder, name + '.xml'), 'wb') as f:
        f.write(base[:at] + block + base[at:])

def attrs(prefix, n, value=b''):
    return b''.join(b' %s%d="%s"' % (prefix, i, value) for i in range(n))

shape('attributes-200k', b'<x' + attrs(b'a', 200000) + b'/>')
shape('attributes-256-x-20MB', b'<r>' + (b'<x' + attrs(b'a', 256) + b'/>') * (19 * MB // 2700) + b'</r>')
shape('depth-100k', b'<a>' * 100000 + b'</a>' * 100000)
shape('depth-250-x-20MB', (b'<a>' * 250 + b'</a>' * 250) * (19 * MB // 1750))
shape('namespaces-10k', b'<x' + attrs(b'xmlns:n', 10000, b'urn:n') + b'/>')
shape('namespaces-240-in-scope-20MB',
      b'<x' + attrs(b'xmlns:n', 240, b'urn:n') + b'>' + b'<y/>' * (19 * MB // 4) + b'</x>')
shape('attribute-value-15MB', b'<x a="' + b'v' * (15 * MB) + b'"/>')
shape('attribute-values-1MB-x-19', b'<x a="' + b'v' * (MB - 100) + b'"/>' * 19)
shape('text-19MB', b'<x>' + b'QUJD' * (19 * MB // 4) + b'</x>')
shape('comment-19MB', b'<!--' + b'c' * (19 * MB) + b'-->')
shape('pi-19MB', b'<?p ' + b'c' * (19 * MB) + b'?>')
shape('cdata-19MB', b'<x><![CDATA[' + b'c' * (19 * MB) + b']]></x>')
shape('long-names-1000-x-20MB', (b'<' + b'n' * 1000 + b'/>') * (19 * MB // 1003))
shape('elements-20MB', b'<y/>' * (19 * MB // 4))
with open(os.path.join(folder, 'doctype-entities.xml'), 'wb') as f:
    f.write(b'<?xml version="1.0"?><!DOCTYPE d [<!ENTITY a "' + b'a' * 1000 + b'">]>' + base[base.index(b'<edefter:defter'):].replace(b'journal</', b'&a;journal</', 1))
with open(os.path.join(folder, 'random-20MB.xml'), 'wb') as f:
    f.write(os.urandom(20 * MB))
EOF
# A stylesheet looping over every element inside such a loop, beside a small journal.
mkdir -p "$out/runaway"
sed 's/href="yevmiye.xslt"/href="runaway.xslt"/' "$small" > "$out/runaway/runaway-stylesheet.xml"
cat > "$out/runaway/runaway.xslt" <<'EOF'
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:template match="/"><html><body><xsl:for-each select="//*"><xsl:for-each select="//*"><xsl:for-each select="//*">
<p><xsl:value-of select="name()"/> <xsl:value-of select="."/></p></xsl:for-each></xsl:for-each></xsl:for-each></body></html>
</xsl:template></xsl:stylesheet>
EOF
mkfifo "$out/shapes/fifo.xml"

# "wall/cpu seconds, peakMB, exit" of one run, or "t/o" past the limit. CPU time is shown as well
# because the wall time suffers when other work shares the machine.
measure() {
    local log="$out/time.log" code=0
    /usr/bin/time -f '%e %U %S %M' -o "$log" timeout "$limit" "$@" >/dev/null 2>"$out/stderr" </dev/null || code=$?
    if [[ $code -eq 124 ]]; then
        echo "t/o"
    else
        read -r wall user system kb < <(tail -n 1 "$log")
        printf '%.1f/%.1fs %dMB %d' "$wall" "$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')" $(( kb / 1024 )) "$code"
    fi
}

inputs=("$out"/shapes/*.xml "$out/runaway/runaway-stylesheet.xml" /dev/urandom "$(ls "$out"/big/*-Y-*.xml | head -n 1)")
printf '%-30s %6s  %-22s %-22s %-22s\n' shape MB render verify export
for input in "${inputs[@]}"; do
    name="$(basename "$input" .xml)"
    if [[ $# -gt 0 ]] && ! printf '%s\n' "$@" | grep -qx "$name"; then continue; fi
    size=0
    [[ -f "$input" ]] && size=$(( $(stat -c %s "$input") * 10 / 1048576 ))
    render="$(measure "$bin/verazidedaze-render" "$input")"
    verify="$(measure "$bin/verazidedaze-verify" "$input")"
    export_="$(measure "$bin/verazidedaze-export" --csv "$input" "$out/export.csv")"
    printf '%-30s %4d.%d  %-22s %-22s %-22s\n' "$name" $(( size / 10 )) $(( size % 10 )) "$render" "$verify" "$export_"
done
