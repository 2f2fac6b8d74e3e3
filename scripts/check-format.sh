#!/usr/bin/env bash
# Fails when clang-format would change any of the project's C++ files.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format-16 --dry-run --Werror "${files[@]}"; then
    echo "C++ not formatted: run clang-format-16 -i on the files above." >&2
    exit 1
fi
echo "clang-format: ${#files[@]} files formatted."
