#!/usr/bin/env bash
# A whole copy job through the main window against servers that misbehave (bench/hostile_server.py):
# one that never greets, one that greets one byte a second, one whose reply to USER never ends, one that
# sends empty lines without end. For each: how long the job waited, the process's peak memory, how many
# window pictures were taken during the job (one per tenth of a second when the message loop turns), the longest
# the message loop left an event waiting meanwhile, and what the job told the user. Not a test: the silent servers take the client's full bound (60 s) each.
# Usage: bench/hostile_job.sh [mode...]   (default: silent drip flood blank)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
modes=("$@")
[ ${#modes[@]} -gt 0 ] || modes=(silent drip flood blank)

bench_build ferrylo_copy_bench
bench_workspace hostile
echo "payload" >"$work/data/a.txt"
stop_server() {
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=
}

printf '%-7s %9s %10s %9s %7s  %s\n' mode seconds peak_kib pictures gap_ms "shown to the user"
for mode in "${modes[@]}"; do
    rm -f "$work/port"
    /usr/bin/python3 "$repo/bench/hostile_server.py" "$mode" "$work/port" &
    server_pid=$!
    for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
    pictures="$work/pictures-$mode"
    mkdir -p "$pictures"
    report=$(QT_QPA_PLATFORM=offscreen "$driver" 127.0.0.1 "$(cat "$work/port")" $user $password \
        "$work/data/a.txt" /in "$pictures" 2>"$work/$mode.err" || true)
    stop_server
    seconds=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$report")
    peak=$(sed -n 's/.*peak_kib=\([0-9]*\).*/\1/p' <<<"$report")
    gap=$(sed -n 's/.*loop_gap_ms=\([0-9]*\).*/\1/p' <<<"$report")
    shown=$(sed -n 's/^shown: //p' "$work/$mode.err" | paste -sd'|')
    printf '%-7s %9s %10s %9s %7s  %s\n' "$mode" "$seconds" "$peak" "$(find "$pictures" -name 'job-*.png' | wc -l)" \
        "${gap:-?}" "${shown:-nothing}"
    rm -rf "$pictures"
done
