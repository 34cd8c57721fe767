#!/usr/bin/env bash
# The Debian package as a user gets it: its file list, its menu entry and metadata through their validators, and the
# program started by its link /usr/bin/ferrylo from the package unpacked into a temporary root, under a virtual display.
# The window must open, and the program's folder must be the real one, where Files/ is: when that folder is writable
# the settings stay beside the program, otherwise they go to the user's configuration folder.
# Usage: tests/package/deb_test.sh <package.deb>
set -euo pipefail
package=$1
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

work=$(mktemp -d)
display_pid=
cleanup() {
    [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null && wait "$display_pid" 2>/dev/null
    chmod -R u+w "$work"
    rm -rf "$work"
}
trap cleanup EXIT

# Every file with its mode and owner; folders are implied by them.
expected_files="\
-rwxr-xr-x root/root ./usr/lib/ferrylo/ferrylo
-rw-r--r-- root/root ./usr/lib/ferrylo/modules/libferrylo_sound.so
-rwxr-xr-x root/root ./usr/lib/ferrylo/Files/HOISTER
-rwxr-xr-x root/root ./usr/lib/ferrylo/Files/Menuwright
-rwxr-xr-x root/root ./usr/lib/ferrylo/Files/Vesperal
-rw-r--r-- root/root ./usr/lib/ferrylo/Files/ferrylo.html
-rw-r--r-- root/root ./usr/lib/ferrylo/Files/ferrylo.png
lrwxrwxrwx root/root ./usr/bin/ferrylo -> ../lib/ferrylo/ferrylo
-rw-r--r-- root/root ./usr/share/applications/ferrylo.desktop
-rw-r--r-- root/root ./usr/share/icons/hicolor/16x16/apps/ferrylo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/ferrylo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/ferrylo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/apps/ferrylo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/ferrylo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/ferrylo.png
-rw-r--r-- root/root ./usr/share/metainfo/org.example.ferrylo.metainfo.xml
-rw-r--r-- root/root ./usr/share/man/man1/ferrylo.1.gz
-rw-r--r-- root/root ./usr/share/man/ru/man1/ferrylo.1.gz
-rw-r--r-- root/root ./usr/share/doc/ferrylo/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/ferrylo/copyright"
actual_files=$(dpkg-deb -c "$package" | awk '$1 !~ /^d/ { $3 = $4 = $5 = ""; print }' | tr -s ' ' | sort)
if ! diff <(sort <<<"$expected_files") <(echo "$actual_files") >&2; then
    fail "the package's files (< expected, > found)"
fi

fs=$work/fs
dpkg -x "$package" "$fs"
desktop-file-validate "$fs/usr/share/applications/ferrylo.desktop" || fail "desktop-file-validate"
# The metadata, and that its desktop entry and icon are in the tree; warnings fail too. No look-ups on the network.
appstreamcli validate-tree --no-net "$fs" || fail "appstreamcli validate-tree"

# The program runs as a user who cannot write to the unpacked bin/: nobody when this runs as root.
run_as=()
[ "$(id -u)" -eq 0 ] && run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
chmod 755 "$work"
chmod a-w "$fs/usr/bin"

Xvfb -displayfd 3 -ac -nolisten tcp -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
display_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { fail "no virtual display"; exit 1; }
display=:$(cat "$work/display")

# program folder writable | settings in the configuration folder
for row in "yes no" "no yes"; do
    read -r writable configured <<<"$row"
    if [ "$writable" = yes ]; then chmod a+w "$fs/usr/lib/ferrylo"; else chmod a-w "$fs/usr/lib/ferrylo"; fi
    home=$work/home-$writable
    mkdir -m 777 "$home"
    mkdir -m 700 "$home/runtime"
    [ ${#run_as[@]} -eq 0 ] || chown 65534:65534 "$home/runtime"
    env -i HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" PATH=/usr/bin:/bin \
        DISPLAY="$display" QT_QPA_PLATFORM=xcb "${run_as[@]}" "$fs/usr/bin/ferrylo" 2>"$home/stderr" &
    pid=$!
    # The main window's caption (xdotool matches no Cyrillic); it is set after the settings folder is chosen.
    if ! DISPLAY="$display" timeout 30 xdotool search --sync --onlyvisible --name '^Ferrylo ' >/dev/null; then
        fail "writable=$writable: no window; the program said:"
        cat "$home/stderr" >&2
    fi
    kill "$pid" 2>/dev/null || fail "writable=$writable: the program ended by itself"
    wait "$pid" 2>/dev/null || true
    if [ -d "$home/config/Ferrylo" ]; then found=yes; else found=no; fi
    [ "$found" = "$configured" ] || fail "writable=$writable: configuration folder made: $found, expected $configured"
done

[ "$failures" -eq 0 ] || exit 1
echo "Package checks passed: $package"
