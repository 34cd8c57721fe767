#!/usr/bin/env bash
# Builds the Windows program and its test suites without windows (tools/windows-build.sh), runs the suites
# under Wine through ctest, and takes a screenshot of the main window under Wine in a virtual display
# (docs/main-window-windows.png). Not part of ./test.sh: the first run builds a Qt for Windows (half an hour).
# Wine gets a prefix of its own in the cache; WINEDEBUG is quiet.
# Usage: tools/windows-test.sh [--update-docs]   (the screenshot goes to build/windows/ unless asked for docs/)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${FERRYLO_CACHE:-$HOME/.cache/ferrylo}
shot=$repo/build/windows/main-window-windows.png
[ "${1:-}" = "--update-docs" ] && shot=$repo/docs/main-window-windows.png
export WINEPREFIX=$cache/wine WINEDEBUG=-all
wine=/usr/lib/wine/wine64
build=$repo/build/windows

"$repo/tools/windows-build.sh" -DFERRYLO_TESTS=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$wine"
if [ ! -e "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    xvfb-run -a "$wine" wineboot -i >/dev/null 2>&1 || true
fi

# A real server for the upload test, on 127.0.0.1, its root in a folder of its own; stopped on exit.
served=$(mktemp -d)
/usr/bin/python3 -u "$repo/tests/support/pyftpd_server.py" --root "$served" --user bench --password bench >"$served.port" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$served" "$served.port"' EXIT
for _ in $(seq 100); do [ -s "$served.port" ] && break; sleep 0.1; done
[ -s "$served.port" ] || { echo "the test FTP server did not start" >&2; exit 1; }
export FERRYLO_PYFTPD_PORT=$(head -n1 "$served.port") FERRYLO_PYFTPD_ROOT="Z:$served"

# Without a Russian locale Wine's code page is not Windows-1251 and the Cyrillic cases prove nothing: one is made in
# the cache when the machine has none (nothing of the system changes).
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$' && [ ! -d "${LOCPATH:-/nonexistent}/ru_RU.UTF-8" ]; then
    mkdir -p "$cache/locales"
    [ -d "$cache/locales/ru_RU.UTF-8" ] || localedef -i ru_RU -f UTF-8 "$cache/locales/ru_RU.UTF-8"
    export LOCPATH=$cache/locales
fi

echo "Test suites under Wine:"
suites=0
# The Russian locale makes Wine's ANSI code page Windows-1251, as on a Russian Windows.
LC_ALL=ru_RU.UTF-8 ctest --test-dir "$build" -j 2 --timeout 120 >"$build/ctest.log" 2>&1 || suites=$?
grep -E "tests passed|Failed|Skipped" "$build/ctest.log" || true

# A program folder of its own, so the picture shows the first-run state; Wine's desktop gives the window a frame.
# Under Wine the system's font engine draws no text in line edits; the toolkit's own (freetype) does.
stage=$(mktemp -d)
trap 'rm -rf "$stage"; kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$served" "$served.port"' EXIT
cp "$build/app/ferrylo.exe" "$stage/"
cp -r "$build/app/Files" "$stage/"
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    "$1" explorer /desktop=ferrylo,1920x1080 "$2/ferrylo.exe" -platform windows:fontengine=freetype &
    pid=$!
    sleep 15
    import -window root "$2/screen.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
' _ "$wine" "$stage" 2>/dev/null
convert "$stage/screen.png" -trim +repage "$shot"
echo "Screenshot written to ${shot#"$repo"/}"
exit "$suites"
