#!/usr/bin/env bash
# Time lost to a connection that drops at 90% of one big upload: the whole copy job (the real handler,
# windows offscreen, the program's own retry waits) against pyftpdlib on 127.0.0.1, passive. Three runs:
# no drop, a drop with a server that resumes (REST STREAM and SIZE), and a drop with a server that
# cannot resume (no REST: the file goes again from its first byte). Each result is checked byte for byte.
# Usage: bench/resume_drop.sh [MiB (default 1024)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
mib=${1:-1024}

bench_build ferrylo_copy_bench
bench_workspace resume-drop
make_file "$work/data/big.bin" "$mib"
sync

# run [SERVER_OPTION...] -> prints "seconds"; what the server saw of the drop goes to $work/seen
run() {
    /usr/bin/python3 -u "$repo/bench/drop_server.py" --root "$work/root" --user $user --password $password "$@" \
        >"$work/port" 2>"$work/server.log" &
    server_pid=$!
    for _ in $(seq 150); do [ -s "$work/port" ] && break; sleep 0.1; done
    port=$(head -n1 "$work/port")
    "$driver" 127.0.0.1 "$port" $user $password "$work/data/big.bin" /in >"$work/job.txt" 2>"$work/job.err" || {
        cat "$work/job.err" "$work/server.log" >&2
        stop_named_server
        exit 1
    }
    stop_named_server
    verify "$work/data/big.bin" "$work/root/in/big.bin"
    rm -rf "$work/root/in"
    grep -E '^(dropped at|REST|STOR)' "$work/server.log" | sed 's|STOR .*/|STOR |' | tr '\n' ' ' >"$work/seen"
    sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/job.txt"
}

declare -A seen=()
drop_at=$((mib * 1024 * 1024 / 10 * 9))
echo "One file of $mib MiB, the drop at $drop_at bytes, the program's own first retry wait of 2 s; median of $runs."
declare -A times=()
for _ in $(seq "$runs"); do
    for case in plain resumed again; do
        case $case in
            plain) times[$case]+="$(run) " ;;
            resumed) times[$case]+="$(run --drop-at "$drop_at") " ;;
            again) times[$case]+="$(run --drop-at "$drop_at" --no-rest) " ;;
        esac
        seen[$case]=$(cat "$work/seen")
    done
done
# shellcheck disable=SC2086
plain=$(median ${times[plain]})
for case in plain resumed again; do
    # shellcheck disable=SC2086
    seconds=$(median ${times[$case]})
    printf '%-8s %7.3f s  lost %6.3f s   server saw: %s\n' "$case" "$seconds" "$(elapsed "$plain" "$seconds")" \
        "${seen[$case]}"
done

# The same drop on stock daemons, cut from the client's side (its connection is reset at 90%): vsftpd resumes;
# proftpd as Debian ships it lists REST STREAM but refuses a store after REST, so the file goes whole at once.
read -r -a daemons <<<"${FERRYLO_BENCH_DAEMONS:-proftpd vsftpd}"
daemon_run() { # daemon_run SERVER [--drop-at=N] -> seconds
    start_named_server "$1"
    shift
    "$driver" "$@" 127.0.0.1 "$port" "$user" "$password" "$work/data/big.bin" "$base/in" >"$work/job.txt" \
        2>"$work/job.err" || {
        cat "$work/job.err" "$work/server.log" >&2
        stop_named_server
        exit 1
    }
    stop_named_server
    verify "$work/data/big.bin" "$served/in/big.bin"
    rm -rf "${served:?}/in"
    sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/job.txt"
}
for daemon in "${daemons[@]}"; do
    whole= cut=
    for _ in $(seq "$runs"); do
        whole+="$(daemon_run "$daemon") "
        cut+="$(daemon_run "$daemon" --drop-at="$drop_at") "
    done
    # shellcheck disable=SC2086
    whole=$(median $whole) cut=$(median $cut)
    printf '%-8s uncut %7.3f s  dropped %7.3f s  lost %6.3f s\n' "$daemon" "$whole" "$cut" "$(elapsed "$whole" "$cut")"
done
