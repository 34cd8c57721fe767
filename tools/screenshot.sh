#!/usr/bin/env bash
# Takes a screenshot of the main window under a virtual display: tools/screenshot.sh [output.png]
# Needs the "shot" packages (Xvfb, ImageMagick), which it installs when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/main-window.png}
tools/install-deps.sh shot
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF >/dev/null
cmake --build build/release --target ferrylo -j "$(nproc)" >/dev/null

# A program folder of its own, so the picture shows the first-run state and no saved settings.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp build/release/app/ferrylo "$stage/"
cp -r build/release/app/Files "$stage/" 2>/dev/null || true

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$1/ferrylo" &
    pid=$!
    sleep 4
    import -window root "$1/screen.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
' _ "$stage"
# The screen is black around the window: trim it away.
convert "$stage/screen.png" -trim +repage "$output"
echo "Screenshot written to $output"
