#!/usr/bin/env bash
# The Windows installer under Wine, in a Wine prefix of its own (temporary): a silent install puts the program, its
# Files\ and the uninstaller in %LOCALAPPDATA%\Programs\Ferrylo, a Start menu shortcut that starts the program, and
# the uninstaller in the list of programs; a silent uninstall removes them and keeps the settings the user saved.
# Takes a screenshot of the Start menu entry on the way (build/windows/start-menu-windows.png).
# Run by tools/windows-test.sh after the build; on its own: tools/windows-installer-test.sh [ferrylo-setup.exe]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
setup=$(realpath "${1:-$repo/build/windows/ferrylo-setup.exe}")
shot=$repo/build/windows/start-menu-windows.png
wine=/usr/lib/wine/wine64
[ -f "$setup" ] || { echo "no installer: $setup (tools/windows-build.sh makes it)" >&2; exit 1; }

# One virtual display for the whole test: the program's windows, the Start menu and the screenshot.
if [ -z "${FERRYLO_INSTALLER_TEST_DISPLAY:-}" ]; then
    FERRYLO_INSTALLER_TEST_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$setup"
fi

prefix=$(mktemp -d)
# No menu entries of the host desktop for the Wine shortcuts; the prefix and its Wine server end with the test.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
clean_up() {
    "$(dirname "$wine")/wineserver64" -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap clean_up EXIT
failures=0
check() { # description, command...
    local what=$1
    shift
    if "$@"; then echo "  ok: $what"; else echo "  FAILED: $what"; failures=$((failures + 1)); fi
}
unix_path() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_variable() { "$wine" cmd /c "echo %$1%" 2>/dev/null | tr -d '\r'; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ferrylo'
listed() { "$wine" reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' | grep -qF "$2"; }
not_listed() { ! "$wine" reg query "$uninstall_key" >/dev/null 2>&1; }
gone() { [ ! -e "$1" ]; }
help_file() { [ "$(head -c 4 "$1")" = ITSF ]; }
window_shown() { # title part, seconds
    for _ in $(seq $(($2 * 2))); do
        xdotool search --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.5
    done
    return 1
}

echo "The installer under Wine ($(du -h "$setup" | cut -f1)):"
"$wine" wineboot -i >/dev/null 2>&1
check "silent install ends well" timeout 120 "$wine" "$setup" /S
folder=$(unix_path "$(windows_variable LOCALAPPDATA)\\Programs\\Ferrylo")
start_menu=$(unix_path "$(windows_variable APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")
for file in ferrylo.exe Files/HOISTER.exe Files/Menuwright.exe Files/Vesperal.exe uninstall.exe; do
    check "installed: $file" test -s "$folder/$file"
done
check "installed: Files/ferrylo.chm, a help file" help_file "$folder/Files/ferrylo.chm"
check "Start menu shortcut" test -s "$start_menu/Ferrylo.lnk"
check "listed among the programs" listed DisplayName Ferrylo
check "listed with its uninstaller" listed UninstallString 'Programs\Ferrylo\uninstall.exe"'

# The shortcut starts the installed program: its main window opens.
"$wine" start "$("$wine" winepath -w "$start_menu/Ferrylo.lnk" 2>/dev/null | tr -d '\r')" >/dev/null 2>&1 || true
check "the Start menu shortcut opens the main window" window_shown "^Ferrylo — " 60
# While it runs, the uninstaller removes nothing (run in place, "_?=", it ends when it is done).
"$wine" "$folder/uninstall.exe" /S "_?=$(windows_variable LOCALAPPDATA)\Programs\Ferrylo" >/dev/null 2>&1 || true
check "a running program stays installed" test -s "$folder/Files/ferrylo.chm" -a -s "$start_menu/Ferrylo.lnk"
"$(dirname "$wine")/wineserver64" -k 2>/dev/null || true

# The Start menu of Wine's desktop, opened at "Programs": the picture for README and notes.
# (A desktop named "shell" has the taskbar.)
"$wine" explorer /desktop=shell,1280x800 >/dev/null 2>&1 &
sleep 8
xdotool mousemove 20 787 click 1 # "Start" in the bottom left corner
sleep 1
xdotool mousemove 50 725 # its first item, "Programs"
sleep 2
mkdir -p "$(dirname "$shot")"
import -window root -crop 420x220+0+580 +repage "$shot" && echo "  Start menu screenshot: ${shot#"$repo"/}"
"$(dirname "$wine")/wineserver64" -k 2>/dev/null || true

# A settings file the user saved stays; everything installed goes. The uninstaller runs from a copy of itself and
# ends later than the process started here, so its result is waited for.
printf 'saved' >"$folder/ferrylo.MyIni"
"$wine" "$folder/uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 60); do
    gone "$folder/uninstall.exe" && not_listed && gone "$start_menu/Ferrylo.lnk" && break
    sleep 0.5
done
for file in ferrylo.exe Files uninstall.exe; do
    check "uninstalled: $file" gone "$folder/$file"
done
check "uninstalled: the Start menu shortcut" gone "$start_menu/Ferrylo.lnk"
check "uninstalled: the entry in the list of programs" not_listed
check "kept: the saved settings" test "$(cat "$folder/ferrylo.MyIni" 2>/dev/null)" = saved

[ "$failures" -eq 0 ] && echo "The installer: every check passed." || echo "The installer: $failures checks FAILED."
exit $((failures > 0))
