#!/usr/bin/env bash
# Builds ferrylo.exe for Windows x86-64 with MinGW-w64: static (one file, plus Files\ beside it, with the help file
# ferrylo.chm), with the Windows Qt and libraries from the cache (made on first use by tools/windows-qt.sh and
# tools/windows-libs.sh), and the installer of both, ferrylo-setup.exe (packaging/windows/).
# The program is in build/windows/app/, the installer in build/windows/. Arguments go to CMake's configure step.
# Usage: tools/windows-build.sh [-DFERRYLO_TESTS=ON ...]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
started=$(date +%s)
say() { echo "[$(($(date +%s) - started)) s] $*"; }
# The two scripts print their progress (the first run builds for half an hour); their last line is the prefix.
say "Qt for Windows ..."
qt=$("$repo/tools/windows-qt.sh" | tee /dev/stderr | tail -n1)
say "OpenSSL, libssh2 and libjpeg for Windows ..."
libs=$("$repo/tools/windows-libs.sh" | tee /dev/stderr | tail -n1)
build=$repo/build/windows
mkdir -p "$build"
# A build folder configured against another Qt (an older cache) would keep finding that one.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "^Qt6_DIR:PATH=$qt/" "$build/CMakeCache.txt"; then
    rm -f "$build/CMakeCache.txt"
fi
say "Configuring the program (log: $build/configure.log) ..."

"$qt/bin/qt-cmake" -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF \
    -DOPENSSL_USE_STATIC_LIBS=ON -DOPENSSL_ROOT_DIR="$libs" -DOPENSSL_INCLUDE_DIR="$libs/include" \
    -DSSL_EAY="$libs/lib/libssl.a" -DLIB_EAY="$libs/lib/libcrypto.a" \
    -DJPEG_INCLUDE_DIR="$libs/include" -DJPEG_LIBRARY="$libs/lib/libjpeg.a" \
    -DLIBSSH2_INCLUDE_DIR="$libs/include" -DLIBSSH2_LIBRARY="$libs/lib/libssh2.a" \
    -DQt6Keychain_DIR="$libs/lib/cmake/Qt6Keychain" "$@" >"$build/configure.log" 2>&1 ||
    { tail -n 40 "$build/configure.log"; exit 1; }
say "Building the program (log: $build/build.log); every 20th step is shown ..."
if ! nice cmake --build "$build" --parallel 2 2>&1 | tee "$build/build.log" |
    awk '/^\[[0-9]+\/[0-9]+\]/ { if (++n % 20 == 0) print $1; fflush() }'; then
    tail -n 60 "$build/build.log"
    exit 1
fi
exe=$build/app/ferrylo.exe setup=$build/ferrylo-setup.exe
echo "Built in $(($(date +%s) - started)) s: $exe ($(du -h "$exe" | cut -f1)), $setup ($(du -h "$setup" | cut -f1))"
