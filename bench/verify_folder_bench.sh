#!/usr/bin/env bash
# Time of verazidedaze-verify on one folder of many small files (default 100,000): half of them
# unsigned journals, half their berats, so that every ledger is matched with its berats by name.
# The work should grow with the number of files, not with its square.
# Usage: bench/verify_folder_bench.sh [BUILD_DIR] [FILES] [VERIFY_BINARY]
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
files="${2:-100000}"
verifier="${3:-$build/bin/verazidedaze-verify}"
[[ -x "$verifier" ]] || { echo "$verifier not found; build verazidedaze-verify first" >&2; exit 1; }
command -v /usr/bin/time >/dev/null || { echo "/usr/bin/time missing (Debian package: time)" >&2; exit 1; }

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
mkdir "$out/folder"
ns='xmlns:edefter="http://www.edefter.gov.tr" xmlns:xbrli="http://www.xbrl.org/2003/instance" xmlns:gl-cor="http://www.xbrl.org/int/gl/cor/2006-10-25"'
body='<xbrli:xbrl><gl-cor:accountingEntries><gl-cor:documentInfo><gl-cor:entriesType>journal</gl-cor:entriesType></gl-cor:documentInfo></gl-cor:accountingEntries></xbrli:xbrl>'
printf '<?xml version="1.0" encoding="UTF-8"?>\n<edefter:defter %s>%s</edefter:defter>\n' "$ns" "$body" >"$out/journal.xml"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<edefter:berat %s>%s</edefter:berat>\n' "$ns" "$body" >"$out/berat.xml"
# Hard links: the folder holds many names, the disk one copy of each file (python3: one process, not
# one per link).
python3 - "$out" "$files" <<'PY'
import os, sys
out, files = sys.argv[1], int(sys.argv[2])
for i in range(files // 2):
    os.link(f"{out}/journal.xml", f"{out}/folder/{1000000000 + i}-202401-Y-000000.xml")
    os.link(f"{out}/berat.xml", f"{out}/folder/{1000000000 + i}-202401-YB-000000.xml")
PY
echo "files: $(ls "$out/folder" | wc -l), load: $(uptime | sed 's/.*load average: //')"
/usr/bin/time -f "verazidedaze-verify FOLDER: %e s wall, %U s user, %S s system, %M KB peak" \
    "$verifier" "$out/folder" >"$out/stdout" 2>"$out/time" || true
tail -n 1 "$out/time"
tail -n 1 "$out/stdout"
