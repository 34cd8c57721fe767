#!/usr/bin/env bash
# Builds the Debian package and checks it with lintian: tools/package-deb.sh [build folder]
# Without a folder: a Release build with Debian's hardening flags in build/package. With one (./test.sh hands in its
# own test build), that build as it is configured. The package is written into the build folder as
# ferrylo_<version>_<architecture>.deb; the script prints its path last.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh package

if [ $# -eq 0 ]; then
    build=build/package
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF \
        -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
        -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
        -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
else
    build=$1
fi
nice cmake --build "$build" --target ferrylo -j "$(nproc)"

rm -f "$build"/ferrylo_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/ferrylo_*.deb)
# Errors fail the build; warnings and notes are printed for whoever packages.
lintian --info --fail-on error "$package"
echo "$package"
