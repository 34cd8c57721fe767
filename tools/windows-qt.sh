#!/usr/bin/env bash
# Builds a static Qt (qtbase: Core, Gui, Widgets and the windows platform plugin) for Windows x86-64 with
# MinGW-w64, from Debian's own source package of the Qt version that the Linux build uses, with Debian's
# host tools of that version. It installs into a cache outside the repo, so only the first run on a
# machine pays for the build (about half an hour on two cores, niced); later runs only say where it is.
# Usage: tools/windows-qt.sh        (the last line printed is the Qt prefix)
# FERRYLO_CACHE moves the cache (default ~/.cache/ferrylo).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${FERRYLO_CACHE:-$HOME/.cache/ferrylo}
prefix=$cache/qt6-mingw
# The installed Qt records this file's path: it stays where it is.
toolchain=$cache/mingw-w64-x86_64.cmake

if [ -x "$prefix/bin/qt-cmake" ]; then
    echo "Qt for Windows is already built:"
    echo "$prefix"
    exit 0
fi

"$repo/tools/install-deps.sh" windows
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
started=$(date +%s)
say() { echo "[$(($(date +%s) - started)) s] $*"; }

# A deb-src entry of its own, beside the system's entries and with the same archives and keys.
source_list=/etc/apt/sources.list.d/ferrylo-qt-source.sources
if [ ! -e "$source_list" ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    if [ -e /etc/apt/sources.list.d/debian.sources ]; then
        awk 'BEGIN { RS = ""; ORS = "\n\n" } /(^|\n)Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
            /etc/apt/sources.list.d/debian.sources | "${sudo_cmd[@]}" tee "$source_list" >/dev/null
    else
        source_list=/etc/apt/sources.list.d/ferrylo-qt-source.list
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | "${sudo_cmd[@]}" tee "$source_list" >/dev/null
    fi
    "${sudo_cmd[@]}" apt-get update -qq
fi

mkdir -p "$cache/qt6-source"
cd "$cache/qt6-source"
if ! ls -d qt6-base-*/ >/dev/null 2>&1; then
    say "Fetching Debian's source of qt6-base $version ..."
    apt-get source -qq "qt6-base=$version" >/dev/null
fi
source_dir=$(ls -d "$cache"/qt6-source/qt6-base-*/ | head -n1)

cat >"$toolchain" <<'CMAKE'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
CMAKE

build=$cache/qt6-build
rm -rf "$build"
mkdir -p "$build"
cd "$build"
say "Configuring (log: $build/configure.log) ..."
# Direct2D stays on (the font database needs it); tablet events are off (the source has no wintab header).
if ! nice "$source_dir/configure" -prefix "$prefix" -xplatform win32-g++ -qt-host-path /usr \
    -static -release -nomake examples -nomake tests -no-opengl -no-dbus -no-feature-vulkan -no-feature-sql \
    -no-feature-network -no-feature-testlib -no-feature-concurrent -no-feature-xml -no-feature-printsupport \
    -no-feature-tabletevent -no-pkg-config -no-zstd -no-icu -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype \
    -qt-pcre -qt-harfbuzz -qt-doubleconversion \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    >configure.log 2>&1; then
    tail -n 40 configure.log
    exit 1
fi
say "Building (log: $build/build.log); every 100th step is shown ..."
if ! nice cmake --build . --parallel 2 2>&1 | tee build.log | awk '/^\[[0-9]+\/[0-9]+\]/ { if (++n % 100 == 0) print $1; fflush() }'; then
    tail -n 40 build.log
    exit 1
fi
grep -q '^FAILED' build.log && { grep -A20 '^FAILED' build.log | head -n 40; exit 1; }
cmake --install . >/dev/null
cd "$cache"
rm -rf "$build" # 2.5 GB of objects; the installed Qt is all that later builds need
say "Qt for Windows built ($(du -sh "$prefix" | cut -f1)):"
echo "$prefix"
