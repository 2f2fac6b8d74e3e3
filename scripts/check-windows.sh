#!/usr/bin/env bash
# Compiles the program's sources for Windows with Debian's mingw-w64 cross compiler against the
# host's Qt headers. Qt for Windows is not installable here, so this is a syntax and API check:
# Qt's headers see _WIN32 from the compiler and take their Windows branches, <windows.h> is
# mingw's own, and nothing is linked. The files CMake builds only on Windows are the point; the
# sources both platforms share are checked too, so a Windows-only break in them shows as well.
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
    '-DVERAZIDEDAZE_SUPPORT_PHONE="0"' '-DVERAZIDEDAZE_SUPPORT_HOST="h"' -DPOINTERHOLDER_TRANSITION=4
    -Isrc -I"$qt" -I/usr/include/libxml2)
for module in Core Gui Widgets Network PrintSupport Pdf PdfWidgets WebEngineCore WebEngineWidgets; do
    flags+=(-I"$qt/Qt$module")
done

# libxml2's host configuration names iconv and ICU, whose headers mingw lacks; the program only
# passes libxml2's types around, so two declarations stand in for them. libxslt, libexslt and qpdf
# sit in the host include folder with everything else, so only they are let through (libxslt's
# configuration header lives in the multiarch folder).
stubs="$(mktemp -d)"
trap 'rm -rf "$stubs"' EXIT
mkdir -p "$stubs/unicode" "$stubs/libxslt"
echo 'typedef void* iconv_t;' >"$stubs/iconv.h"
printf 'typedef struct UConverter UConverter;\ntypedef char16_t UChar;\n' >"$stubs/unicode/ucnv.h"
ln -s /usr/include/libxslt/*.h /usr/include/x86_64-linux-gnu/libxslt/*.h "$stubs/libxslt/"
ln -s /usr/include/libexslt "$stubs/libexslt"
ln -s /usr/include/qpdf "$stubs/qpdf"
# The export's XLSX writer, and OpenSSL and xmlsec for the signature check; xmlsec's defines as its
# pkg-config file gives them. OpenSSL's configuration headers live in the multiarch folder.
ln -s /usr/include/xlsxwriter.h /usr/include/xlsxwriter "$stubs/"
mkdir -p "$stubs/openssl"
ln -s /usr/include/openssl/*.h /usr/include/x86_64-linux-gnu/openssl/*.h "$stubs/openssl/" 2>/dev/null || true
ln -s /usr/include/xmlsec1/xmlsec "$stubs/xmlsec"
flags+=(-idirafter "$stubs" -DXMLSEC_NO_SIZE_T -DXMLSEC_NO_GOST=1 -DXMLSEC_NO_GOST2012=1
    -DXMLSEC_NO_CRYPTO_DYNAMIC_LOADING=1 -DXMLSEC_CRYPTO_OPENSSL=1 -D__XMLSEC_FUNCTION__=__func__)

# What CMake builds on Windows: every source but the Linux twins, the Windows-only files first.
windows_only=(src/selection/volumes_win.cpp src/about/registry_win.cpp src/render/urlmapping_win.cpp src/common/taskbar_win.cpp
    src/render/heap_other.cpp src/render/machinememory_other.cpp)
sources=("${windows_only[@]}")
for source in src/*/*.cpp; do
    case "$source" in
    *_unix.cpp | *_glibc.cpp | *_linux.cpp | *_win.cpp | src/render/heap_other.cpp | src/render/machinememory_other.cpp) ;;
    *) sources+=("$source") ;;
    esac
done

check() {
    if "$compiler" "${flags[@]}" "$1" >"$stubs/$(basename "$1").log" 2>&1; then
        echo "check-windows: ok      $1"
    else
        echo "check-windows: FAILED  $1"
        cat "$stubs/$(basename "$1").log"
        return 1
    fi
}

status=0
for source in "${sources[@]}"; do
    check "$source" || status=1
done
echo "check-windows: ${#sources[@]} files checked with $compiler"
exit "$status"
