#!/usr/bin/env bash
# Fails when a folder of src/ includes from a folder it may not use: the layers of
# docs/architecture.md, each listed with the folders below it that it may include.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A may=(
    [common]=""
    [ledger]="common"
    [render]="common"
    [verify]="common ledger"
    [export]="common ledger"
    [ledgerset]="common ledger verify"
    [web]="common render"
    [print]="common render web"
    [about]="common"
    [viewer]="common ledger render web print verify export ledgerset about"
    [selection]="common ledger verify ledgerset about viewer"
    [app]="common selection viewer web about"
)
status=0
for dir in src/*/; do
    layer=$(basename "$dir")
    if [ -z "${may[$layer]+set}" ]; then
        echo "check-layers: src/$layer is not in the table of layers" >&2
        status=1
        continue
    fi
    while IFS=: read -r file _ used; do
        [ "$used" = "$layer" ] && continue
        case " ${may[$layer]} " in
        *" $used "*) ;;
        *)
            echo "check-layers: $file includes from $used/, which $layer/ may not use" >&2
            status=1
            ;;
        esac
    done < <(grep -rnoE '^#include "[a-z]+/' "$dir" | sed -E 's/#include "([a-z]+)\//\1/')
done
[ "$status" -eq 0 ] && echo "check-layers: ${#may[@]} layers, no include runs upward."
exit "$status"
