#!/bin/sh
# The Windows help file compiled from the help page: a help file the viewer opens on the page, with the page's
# sections as its contents, its texts in the Russian code page.
# Usage: help_file_test.sh MAKE_CHM PAGE CHMCMD CHMLS
set -eu
make_chm=$(realpath "$1") page=$(realpath "$2") chmcmd=$3 chmls=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

python3 "$make_chm" "$page" "$work/ferrylo.chm" "$chmcmd"
[ "$(head -c 4 "$work/ferrylo.chm")" = ITSF ] || fail "not a help file"
"$chmls" printsystem "$work/ferrylo.chm" >"$work/system" 2>/dev/null
grep -q "LCID from HHP file *: 1049" "$work/system" || fail "the language is not Russian"
grep -q "Default topic from \[options\] *:ferrylo.html" "$work/system" || fail "no start page"
cd "$work"
"$chmls" extract ferrylo.chm /ferrylo.html page >/dev/null 2>&1
"$chmls" extract ferrylo.chm /ferrylo.hhc contents >/dev/null 2>&1
iconv -f WINDOWS-1251 -t UTF-8 page >page.utf8 || fail "the page is not in Windows-1251"
grep -q 'charset=windows-1251' page.utf8 || fail "the page does not name its code page"
grep -q '<h2 id="quick">Как скопировать файлы</h2>' page.utf8 || fail "the page's text is lost"
iconv -f WINDOWS-1251 -t UTF-8 contents >contents.utf8 || fail "the contents are not in Windows-1251"
# Every section of the page's own table of contents, as a topic that opens the page at it.
sections=$(grep -c '<li><a href="#' "$page" || true)
topics=$(grep -c '<param name="Local" value="ferrylo.html#' contents.utf8 || true)
if [ "$sections" -eq 0 ] || [ "$topics" -ne "$sections" ]; then
    fail "the contents list $topics of the page's $sections sections"
fi
grep -q '<param name="Name" value="Проверка связи и поиск сервера">' contents.utf8 || fail "a section's name is lost"
echo "help file: $sections sections, $(wc -c <ferrylo.chm) bytes"
