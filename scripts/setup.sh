#!/usr/bin/env bash
# Installs what the program needs on Debian 12, then configures and builds it into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake pkg-config            # compiler and build
    qt6-base-dev qt6-webengine-dev qt6-pdf-dev  # windows, browser view, print preview
    libxslt1-dev                                # stylesheets applied in-process
    libqpdf-dev                                 # printed pages merged and cut as vector PDF
    libxlsxwriter-dev                           # ledger lines exported to XLSX (constant-memory writer)
    unzip                                       # export tests read the written XLSX back
    fonts-liberation2                           # metric match for the windows' designed font
    xvfb xauth                                  # headless display for the GUI tests
    icewm                                       # window manager with a taskbar: the window test reads what it is told
    libxcb1-dev                                 # the taskbar hint is written on the X window itself
    libxml2-utils xsltproc                      # schema validation in tests, reference transforms in benchmarks
    clang-format-16 git                         # the format check the tests end with (braces inserted: 16)
    libxmlsec1-dev libssl-dev openssl           # signature verification; ledgergen signs with build-time test keys
    xmlsec1                                     # independent check of generated signatures, verification benchmark
    time                                        # peak memory in the benchmarks (/usr/bin/time -v)
    python3                                     # the function-length check the tests end with
    qt6-translations-l10n                       # Qt's own dialogs in Turkish
    g++-mingw-w64-x86-64-posix                  # the Windows-only sources compiled as a check
    dpkg-dev desktop-file-utils appstream       # the .deb's library dependencies; menu entry and metainfo checks
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
