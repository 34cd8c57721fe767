#!/usr/bin/env bash
# Builds a static Qt (qtbase: Core, Gui, Widgets, Test and the windows platform plugin) for Windows x86-64 with
# MinGW-w64, from Debian's own source package of the Qt version that the Linux build uses, with Debian's
# host tools of that version. It installs into a cache outside the repo, so only the first run on a
# machine pays for the build (about half an hour on two cores, niced); later runs only say where it is.
# Usage: tools/windows-qt.sh        (the last line printed is the Qt prefix)
# FERRYLO_CACHE moves the cache (default ~/.cache/ferrylo).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${FERRYLO_CACHE:-$HOME/.cache/ferrylo}
# Named after what it holds: a Qt of an earlier build of this script (without its test library) is not taken.
prefix=$cache/qt6-mingw-test
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

"$repo/tools/windows-source-entry.sh"

mkdir -p "$cache/qt6-source"
cd "$cache/qt6-source"
if ! ls -d qt6-base-*/ >/dev/null 2>&1; then
    say "Fetching Debian's source of qt6-base $version ..."
    # A security update may have replaced the installed version's source in the archive (or a mirror may lag
    # behind its index): then the other versions on offer, newest first.
    fetched=
    for candidate in "$version" $(apt-cache showsrc qt6-base | sed -n 's/^Version: //p' | sort -rV); do
        if apt-get source -qq "qt6-base=$candidate" >/dev/null 2>&1; then
            fetched=$candidate
            break
        fi
    done
    [ -n "$fetched" ] || { echo "No source of qt6-base could be fetched." >&2; exit 1; }
    say "Fetched qt6-base $fetched."
fi
source_dir=$(ls -d "$cache"/qt6-source/qt6-base-*/ | head -n1)

cp "$repo/tools/mingw-w64-x86_64.cmake" "$toolchain"

build=$cache/qt6-build
rm -rf "$build"
mkdir -p "$build"
cd "$build"
say "Configuring (log: $build/configure.log) ..."
# Direct2D stays on (the font database needs it); tablet events are off (the source has no wintab header).
if ! nice "$source_dir/configure" -prefix "$prefix" -xplatform win32-g++ -qt-host-path /usr \
    -static -release -nomake examples -nomake tests -no-opengl -no-dbus -no-feature-vulkan -no-feature-sql \
    -no-feature-network -no-feature-concurrent -no-feature-xml -no-feature-printsupport \
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
