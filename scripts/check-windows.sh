#!/usr/bin/env bash
# Compiles the Windows-only sources with Debian's mingw-w64 cross compiler against the host's Qt
# headers. Qt for Windows is not installable here, so this is a syntax and API check: Qt's headers
# see _WIN32 from the compiler and take their Windows branches, <windows.h> is mingw's own, and
# nothing is linked. The files CMake builds only on Windows come first; the sources both platforms
# share follow, so a Windows-only break in them shows too.
set -euo pipefail
cd "$(dirname "$0")/.."

compiler=x86_64-w64-mingw32-g++-posix
command -v "$compiler" >/dev/null || compiler=x86_64-w64-mingw32-g++
if ! command -v "$compiler" >/dev/null; then
    echo "check-windows: no mingw-w64 C++ compiler (install g++-mingw-w64-x86-64-posix)" >&2
    exit 1
fi
qt=/usr/include/x86_64-linux-gnu/qt6
flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic
       # Qt marks its exports dllimport on Windows and some friend re-declarations trip over it.
       -Wno-attributes
       -DUNICODE -D_UNICODE -DWIN32 -D_WIN32_WINNT=0x0A00 -DQT_NO_DEBUG
       -DVERAZIDEDAZE_VERSION_MAJOR=0 -DVERAZIDEDAZE_VERSION_MINOR=0 -DVERAZIDEDAZE_VERSION_PATCH=25
       '-DVERAZIDEDAZE_SUPPORT_PHONE="0"' '-DVERAZIDEDAZE_SUPPORT_HOST="h"'
       -Isrc -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets" -I/usr/include/libxml2)

windows_only=(src/selection/volumes_win.cpp src/about/registry_win.cpp src/render/urlmapping_win.cpp
              src/render/heap_other.cpp)
shared=(src/common/*.cpp src/selection/filepattern.cpp src/selection/folderlisting.cpp
        src/selection/foldermemory.cpp src/selection/showcommand.cpp src/selection/volumes.cpp
        src/selection/openwith.cpp src/about/support.cpp src/about/sysinfolauncher.cpp
        src/render/urlmapping.cpp)

# libxml2's host configuration names iconv and ICU, whose headers mingw lacks; the render layer only
# passes libxml2's types around, so two declarations stand in for them.
stubs="$(mktemp -d)"
trap 'rm -rf "$stubs"' EXIT
mkdir -p "$stubs/unicode"
echo 'typedef void* iconv_t;' >"$stubs/iconv.h"
printf 'typedef struct UConverter UConverter;\ntypedef char16_t UChar;\n' >"$stubs/unicode/ucnv.h"
# libxslt sits in the host include folder with everything else; only it is let through.
ln -s /usr/include/libxslt "$stubs/libxslt"
flags+=(-idirafter "$stubs")

status=0
checked=0
for source in "${windows_only[@]}" "${shared[@]}"; do
    [ -e "$source" ] || continue
    if "$compiler" "${flags[@]}" "$source"; then
        echo "check-windows: ok      $source"
    else
        echo "check-windows: FAILED  $source"
        status=1
    fi
    checked=$((checked + 1))
done
echo "check-windows: $checked files checked with $compiler"
exit "$status"
