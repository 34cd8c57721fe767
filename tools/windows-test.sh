#!/usr/bin/env bash
# Builds the Windows program, its installer and every test suite (tools/windows-build.sh), runs the suites under Wine
# through ctest (windows drawn offscreen), tries the installer (tools/windows-installer-test.sh), and takes a
# screenshot of the main window under Wine in a virtual display (docs/main-window-windows.png). Not part of
# ./test.sh: the first run builds a Qt for Windows (half an hour).
# Wine gets a prefix of its own in the cache (or WINEPREFIX when set); WINEDEBUG is quiet.
# Usage: tools/windows-test.sh [--update-docs]   (the screenshot goes to build/windows/ unless asked for docs/)
#        tools/windows-test.sh -R <pattern> ...   (only those suites, shown in full; no screenshot)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${FERRYLO_CACHE:-$HOME/.cache/ferrylo}
shot=$repo/build/windows/main-window-windows.png
[ "${1:-}" = "--update-docs" ] && shot=$repo/docs/main-window-windows.png && shift
chosen=("$@")
export WINEPREFIX=${WINEPREFIX:-$cache/wine} WINEDEBUG=-all
wine=/usr/lib/wine/wine64
build=$repo/build/windows

"$repo/tools/windows-build.sh" -DFERRYLO_TESTS=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$wine"
if [ ! -e "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    xvfb-run -a "$wine" wineboot -i >/dev/null 2>&1 || true
fi

# Under Wine a test cannot start a Linux process: a launcher on 127.0.0.1 starts each test's FTP server for it
# (python, as on Linux) and stops it when the test lets go; the launcher and every server it runs end on exit.
launcher_out=$(mktemp)
stage=
clean_up() {
    kill "$launcher" 2>/dev/null || true
    wait "$launcher" 2>/dev/null || true
    rm -rf "$launcher_out" "$launcher_out.log" ${stage:+"$stage"}
    "$(dirname "$wine")/wineserver64" -k 2>/dev/null || true
}
/usr/bin/python3 -u "$repo/tests/support/pyftpd_launcher.py" >"$launcher_out" 2>"$launcher_out.log" &
launcher=$!
trap clean_up EXIT
for _ in $(seq 100); do [ -s "$launcher_out" ] && break; sleep 0.1; done
[ -s "$launcher_out" ] || { echo "the test FTP server launcher did not start" >&2; cat "$launcher_out.log" >&2; exit 1; }
export FERRYLO_PYFTPD_LAUNCHER=$(head -n1 "$launcher_out")

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
if [ ${#chosen[@]} -gt 0 ]; then
    LC_ALL=ru_RU.UTF-8 ctest --test-dir "$build" -j 2 --timeout 120 --output-on-failure "${chosen[@]}" || suites=$?
    exit "$suites"
fi
# Under load Wine now and then fails to start a test's process at all (it ends at once with no output): a test
# that fails is run once more; ctest.log keeps both tries.
LC_ALL=ru_RU.UTF-8 ctest --test-dir "$build" -j 2 --timeout 120 --output-on-failure --repeat until-pass:2 \
    >"$build/ctest.log" 2>&1 || suites=$?
grep -E "tests passed|Failed|Skipped" "$build/ctest.log" || true

# The installer, silently in and out of a Wine prefix of its own.
installer=0
LC_ALL=ru_RU.UTF-8 "$repo/tools/windows-installer-test.sh" "$build/ferrylo-setup.exe" || installer=$?

# A program folder of its own, so the picture shows the first-run state; Wine's desktop gives the window a frame.
# Under Wine the system's font engine draws no text in line edits; the toolkit's own (freetype) does.
stage=$(mktemp -d)
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
[ "$suites" -ne 0 ] && exit "$suites"
exit "$installer"
