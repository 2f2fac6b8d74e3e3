#!/usr/bin/env bash
# Installs, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
# The web engine's sandbox cannot run as root; a normal user keeps it.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
exec build/bin/verazidedaze
