#!/usr/bin/env bash
# Installs what is missing, builds Release and starts Ferrylo with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF
cmake --build build/release --target ferrylo -j "$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Ferrylo is a desktop program and there is no display here (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
    echo "Start it inside a desktop session, or with a virtual one: xvfb-run -a ./run.sh" >&2
    exit 1
fi
exec build/release/app/ferrylo "$@"
