#!/usr/bin/env python3
"""Fails when a function in src/ is longer than 60 lines; lists the longest with --top N.

clang-format puts a function's opening brace alone on its line (classes too, but they close with
"};"), so a body runs from its signature to the "}" with the same indentation."""
import os
import re
import subprocess
import sys

LIMIT = 60


def functions(path):
    lines = open(path, encoding="utf-8").read().split("\n")
    opened = {}
    for i, line in enumerate(lines):
        text = line.strip()
        indent = len(line) - len(line.lstrip())
        if text == "{":
            opened[indent] = i
        elif text in ("}", "};") and indent in opened:
            start = opened.pop(indent)
            if text == "};":
                continue
            first = start - 1
            signature = lines[first].strip()
            while first > 0 and "(" not in signature and not signature.startswith("//"):
                first -= 1
                signature = lines[first].strip() + " " + signature
            if "(" in signature and not re.match(r"(namespace|class|struct|enum)\b", signature):
                yield i - first + 1, f"{path}:{first + 1}", signature


def main():
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    files = subprocess.run(["git", "ls-files", "src/*.cpp", "src/*.h"], capture_output=True, text=True,
                           check=True).stdout.split()
    found = sorted((f for path in files for f in functions(path)), reverse=True)
    top = int(sys.argv[sys.argv.index("--top") + 1]) if "--top" in sys.argv else 0
    for length, where, signature in found[:top]:
        print(f"{length:4d}  {where}  {signature[:90]}")
    long = [f for f in found if f[0] > LIMIT]
    for length, where, signature in long:
        print(f"function-length: {where} is {length} lines (at most {LIMIT}): {signature[:80]}", file=sys.stderr)
    print(f"function-length: {len(found)} functions in src/, {len(long)} over {LIMIT} lines.")
    return 1 if long else 0


if __name__ == "__main__":
    sys.exit(main())
