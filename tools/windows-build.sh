#!/usr/bin/env bash
# Builds ferrylo.exe for Windows x86-64 with MinGW-w64: static (one file, plus Files\ beside it), with the
# Windows Qt and libraries from the cache (made on first use by tools/windows-qt.sh and tools/windows-libs.sh).
# The result is in build/windows/app/. Arguments go to CMake's configure step.
# Usage: tools/windows-build.sh [-DFERRYLO_TESTS=ON ...]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
qt=$("$repo/tools/windows-qt.sh" | tail -n1)
libs=$("$repo/tools/windows-libs.sh" | tail -n1)
build=$repo/build/windows
started=$(date +%s)
mkdir -p "$build"

"$qt/bin/qt-cmake" -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF \
    -DOPENSSL_USE_STATIC_LIBS=ON -DOPENSSL_ROOT_DIR="$libs" -DOPENSSL_INCLUDE_DIR="$libs/include" \
    -DSSL_EAY="$libs/lib/libssl.a" -DLIB_EAY="$libs/lib/libcrypto.a" \
    -DJPEG_INCLUDE_DIR="$libs/include" -DJPEG_LIBRARY="$libs/lib/libjpeg.a" "$@" >"$build/configure.log" 2>&1 ||
    { tail -n 40 "$build/configure.log"; exit 1; }
nice cmake --build "$build" --parallel 2
exe=$build/app/ferrylo.exe
echo "Built in $(($(date +%s) - started)) s: $exe ($(du -h "$exe" | cut -f1))"
