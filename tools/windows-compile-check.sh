#!/usr/bin/env bash
# Compiles and links the libraries without Qt (util/, ftp/, settings/) for Windows with MinGW-w64,
# so their Windows code paths are at least compiled here. Installs the cross compiler when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
compiler=x86_64-w64-mingw32-g++-posix
if ! command -v "$compiler" >/dev/null; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq g++-mingw-w64-x86-64-posix
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cat >"$out/probe.cpp" <<'CPP'
#include "settings/RecordFiles.h"
#include "ftp/TIdFTP.h"
#include "util/CollectFiles.h"
#include "util/TimeTexts.h"
int main() {
    std::vector<std::string> files;
    CollectFiles("*.*", ".", false, files);
    TIdFTP ftp;
    TFtpSettings settings;
    return ReadFtpSettingsFile("x.MyIni", settings) && !NowStamp().empty() && ftp.Port() == 21 ? 0 : 1;
}
CPP
# ftp/ speaks TLS: OpenSSL built for Windows from Debian's source (cached after the first run).
libs=$(tools/windows-libs.sh | tail -n1)
# Every source but the other systems' own (*Posix.cpp).
sources=$(ls util/*.cpp ftp/*.cpp settings/*.cpp | grep -v 'Posix\.cpp$')
# shellcheck disable=SC2086 # the source list splits on purpose
"$compiler" -std=c++20 -Wall -Wextra -Werror -O1 -I. -I"$libs/include" $sources \
    "$out/probe.cpp" -o "$out/probe.exe" -static -L"$libs/lib" -lssl -lcrypto -lcrypt32 -lws2_32
echo "util/, ftp/ and settings/ compile and link for Windows."
