#!/usr/bin/env bash
# Installs, builds and runs every test on a headless display.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR
export QT_LOGGING_RULES="qt.webenginecontext.info=false"
status=0
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" ctest --test-dir build --output-on-failure --timeout 600 || status=$?
# The suites that need no web engine again, under the address and undefined-behaviour sanitizers.
scripts/sanitize.sh || status=1
scripts/check-format.sh || status=1
scripts/check-layers.sh || status=1
scripts/check-function-length.py || status=1
scripts/check-windows.sh || status=1
scripts/package-check.sh || status=1
exit "$status"
