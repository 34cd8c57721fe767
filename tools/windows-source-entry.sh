#!/usr/bin/env bash
# Adds a deb-src entry of its own beside the system's Debian entries (same archives, suites and keys), so the
# Windows builds can fetch Debian's source of the libraries the Linux build uses. Does nothing when it exists.
set -euo pipefail
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
for existing in /etc/apt/sources.list.d/ferrylo-source.sources /etc/apt/sources.list.d/ferrylo-source.list; do
    [ -e "$existing" ] && exit 0
done
if [ -e /etc/apt/sources.list.d/debian.sources ]; then
    awk 'BEGIN { RS = ""; ORS = "\n\n" } /(^|\n)Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
        /etc/apt/sources.list.d/debian.sources |
        "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/ferrylo-source.sources >/dev/null
else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
        "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/ferrylo-source.list >/dev/null
fi
"${sudo_cmd[@]}" apt-get update -qq
