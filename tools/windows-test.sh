#!/usr/bin/env bash
# Builds the Windows program and its test suites without windows (tools/windows-build.sh), runs the suites
# under Wine through ctest, and takes a screenshot of the main window under Wine in a virtual display
# (docs/main-window-windows.png). Not part of ./test.sh: the first run builds a Qt for Windows (half an hour).
# Wine gets a prefix of its own in the cache (or WINEPREFIX when set); WINEDEBUG is quiet.
# Usage: tools/windows-test.sh [--update-docs]   (the screenshot goes to build/windows/ unless asked for docs/)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${FERRYLO_CACHE:-$HOME/.cache/ferrylo}
shot=$repo/build/windows/main-window-windows.png
[ "${1:-}" = "--update-docs" ] && shot=$repo/docs/main-window-windows.png
export WINEPREFIX=${WINEPREFIX:-$cache/wine} WINEDEBUG=-all
wine=/usr/lib/wine/wine64
build=$repo/build/windows

"$repo/tools/windows-build.sh" -DFERRYLO_TESTS=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$wine"
if [ ! -e "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    xvfb-run -a "$wine" wineboot -i >/dev/null 2>&1 || true
fi

# Real servers for the suites, on 127.0.0.1, each with a root of its own: one plain, one that speaks explicit TLS
# only, with a self-signed certificate for 127.0.0.1 made just now (the tests check its dates); stopped on exit.
served=$(mktemp -d)
mkdir "$served/plain" "$served/tls" "$served/keys"
servers=()
stop_servers() {
    for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
    rm -rf "$served"
}
trap 'stop_servers; "$(dirname "$wine")/wineserver64" -k 2>/dev/null || true' EXIT
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1 \
    -addext subjectAltName=IP:127.0.0.1 -keyout "$served/keys/key.pem" -out "$served/keys/cert.pem" >/dev/null 2>&1
start_server() { # name (its root and files), then the server's own options; the port goes to NAME.port
    /usr/bin/python3 -u "$repo/tests/support/pyftpd_server.py" --root "$served/$1" --user bench --password bench \
        "${@:2}" >"$served/$1.port" 2>"$served/$1.log" &
    servers+=($!)
    for _ in $(seq 100); do [ -s "$served/$1.port" ] && break; sleep 0.1; done
    [ -s "$served/$1.port" ] || { echo "the test FTP server ($1) did not start" >&2; cat "$served/$1.log" >&2; exit 1; }
}
start_server plain
start_server tls --certfile "$served/keys/cert.pem" --keyfile "$served/keys/key.pem"
export FERRYLO_PYFTPD_PORT=$(head -n1 "$served/plain.port") FERRYLO_PYFTPD_ROOT="Z:$served/plain"
export FERRYLO_PYFTPD_TLS_PORT=$(head -n1 "$served/tls.port") FERRYLO_PYFTPD_TLS_ROOT="Z:$served/tls"

# Without a Russian locale Wine's code page is not Windows-1251 and the Cyrillic cases prove nothing: one is made in
# the cache when the machine has none (nothing of the system changes).
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$' && [ ! -d "${LOCPATH:-/nonexistent}/ru_RU.UTF-8" ]; then
    mkdir -p "$cache/locales"
    [ -d "$cache/locales/ru_RU.UTF-8" ] || localedef -i ru_RU -f UTF-8 "$cache/locales/ru_RU.UTF-8"
    export LOCPATH=$cache/locales
fi

echo "Test suites under Wine:"
# One Wine server for the whole run: with one per test, a server that is just ending can drop the next test's
# connection before the test has begun ("wine client error: recvmsg"). Ended on exit.
"$(dirname "$wine")/wineserver64" -p
# Wine's own helper processes now live as long as that server: started here, they do not hold the first test's
# output open (ctest would wait for it to close).
"$wine" cmd /c exit >/dev/null 2>&1 </dev/null || true
suites=0
# The Russian locale makes Wine's ANSI code page Windows-1251, as on a Russian Windows.
LC_ALL=ru_RU.UTF-8 ctest --test-dir "$build" -j 2 --timeout 120 >"$build/ctest.log" 2>&1 || suites=$?
grep -E "tests passed|Failed|Skipped" "$build/ctest.log" || true

# A program folder of its own, so the picture shows the first-run state; Wine's desktop gives the window a frame.
# Under Wine the system's font engine draws no text in line edits; the toolkit's own (freetype) does.
stage=$(mktemp -d)
trap 'rm -rf "$stage"; stop_servers; "$(dirname "$wine")/wineserver64" -k 2>/dev/null || true' EXIT
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
