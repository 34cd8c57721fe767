#!/usr/bin/env bash
# Builds the static libraries the Windows program needs besides Qt: OpenSSL (FTPS in ftp/), libssh2 over that
# OpenSSL (SFTP in sftp/) and libjpeg (the About window's picture), for Windows x86-64 with MinGW-w64, from Debian's
# own source packages of the versions the Linux build uses, into the same cache as the Windows Qt. Only the first run
# on a machine builds (a few minutes on two cores, niced); later runs only say where they are.
# Usage: tools/windows-libs.sh    (the last line printed is the prefix of both)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${FERRYLO_CACHE:-$HOME/.cache/ferrylo}
prefix=$cache/libs-mingw
started=$(date +%s)
say() { echo "[$(($(date +%s) - started)) s] $*"; }

if [ -e "$prefix/lib/libssl.a" ] && [ -e "$prefix/lib/libjpeg.a" ] && [ -e "$prefix/lib/libssh2.a" ]; then
    echo "The Windows libraries are already built:"
    echo "$prefix"
    exit 0
fi

"$repo/tools/install-deps.sh" windows
"$repo/tools/windows-source-entry.sh"

# fetch_source PACKAGE INSTALLED_VERSION: Debian's source in $cache/PACKAGE-source; prints its folder. Ends the script
# when no version can be fetched.
fetch_source() {
    local folder=$cache/$1-source candidate fetched=
    mkdir -p "$folder"
    if ! ls -d "$folder"/*/ >/dev/null 2>&1; then
        # A security update may have replaced the installed version's source in the archive (or a mirror may
        # lag behind its index): then the other versions on offer, newest first.
        for candidate in "$2" $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -rV); do
            if (cd "$folder" && apt-get source -qq "$1=$candidate" >/dev/null 2>&1); then
                fetched=$candidate
                break
            fi
        done
        if [ -z "$fetched" ]; then
            echo "No source of $1 could be fetched." >&2
            exit 1
        fi
        say "Fetched $1 $fetched." >&2
    fi
    ls -d "$folder"/*/ | head -n1
}

# run_logged LOG COMMAND...: the command's output goes to LOG, shown only when it fails.
run_logged() {
    local log=$1
    shift
    nice "$@" >>"$log" 2>&1 || { tail -n 40 "$log"; exit 1; }
}

build=$cache/libs-build
rm -rf "$build"
mkdir -p "$build"

if [ ! -e "$prefix/lib/libssl.a" ]; then
    source_dir=$(fetch_source openssl "$(dpkg-query -W -f='${Version}' libssl-dev)")
    cp -a "$source_dir" "$build/openssl"
    say "Building OpenSSL (log: $build/openssl.log) ..."
    (
        cd "$build/openssl"
        run_logged ../openssl.log ./Configure mingw64 --cross-compile-prefix=x86_64-w64-mingw32- --prefix="$prefix" \
            --libdir=lib no-shared no-tests
        run_logged ../openssl.log make -j2 build_libs
        run_logged ../openssl.log make install_dev
    )
fi

if [ ! -e "$prefix/lib/libssh2.a" ]; then
    source_dir=$(fetch_source libssh2 "$(dpkg-query -W -f='${Version}' libssh2-1-dev)")
    say "Building libssh2 (log: $build/ssh2.log) ..."
    run_logged "$build/ssh2.log" cmake -S "$source_dir" -B "$build/ssh2" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$repo/tools/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
        -DCRYPTO_BACKEND=OpenSSL -DOPENSSL_USE_STATIC_LIBS=ON -DOPENSSL_INCLUDE_DIR="$prefix/include" \
        -DLIB_EAY="$prefix/lib/libcrypto.a" -DSSL_EAY="$prefix/lib/libssl.a" \
        -DENABLE_ZLIB_COMPRESSION=OFF
    run_logged "$build/ssh2.log" cmake --build "$build/ssh2" --parallel 2
    run_logged "$build/ssh2.log" cmake --install "$build/ssh2"
fi

if [ ! -e "$prefix/lib/libjpeg.a" ]; then
    source_dir=$(fetch_source libjpeg-turbo "$(dpkg-query -W -f='${Version}' libjpeg62-turbo-dev)")
    say "Building libjpeg (log: $build/jpeg.log) ..."
    run_logged "$build/jpeg.log" cmake -S "$source_dir" -B "$build/jpeg" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$repo/tools/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
    run_logged "$build/jpeg.log" cmake --build "$build/jpeg" --parallel 2
    run_logged "$build/jpeg.log" cmake --install "$build/jpeg"
fi

rm -rf "$build"
say "The Windows libraries are built ($(du -sh "$prefix" | cut -f1)):"
echo "$prefix"
