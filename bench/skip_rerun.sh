#!/usr/bin/env bash
# A job run again over a line of RTT ms (bench/latency_proxy.py, 40 by default): a tree of 2,000 files (1 B to
# 64 KiB in 50 folders) that is already whole on the server, and again with every second file missing. The job
# skips what the server holds ("Пропускать файлы, которые уже есть на сервере", with known folders and 4
# connections) beside lftp "mirror -R --only-newer --parallel=4" and rclone copy (4 transfers, its FTP backend).
# A half run is also set against the same job sending the whole tree to an empty server. Median of
# FERRYLO_BENCH_RUNS (3 by default) alternating runs; commands per file of a full re-run from the proxy's count.
# Usage: bench/skip_rerun.sh [--rtt MS]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
export FERRYLO_BENCH_RUNS=${FERRYLO_BENCH_RUNS:-3}
source "$repo/bench/common.sh"
rtt=40
if [ "${1:-}" = --rtt ]; then
    rtt=$2
fi
tree_files=2000

bench_build ferrylo_copy_bench
bench_workspace skip-bench
echo "Generating data in $work ..."
make_tree "$work/data/tree" "$tree_files" 50
# The server's copies are made after the sources, so none is older than its source.
sleep 1

# What the server holds before a timed run: all of the tree, half of it (every second file), or nothing.
place() { # SIDE full|half|none
    rm -rf "${served:?}/$1"
    mkdir -p "$served/$1"
    [ "$2" = none ] || cp -r "$work/data/tree" "$served/$1/tree"
    chmod -R a+rwX "$served/$1" # a daemon that runs as a user of its own writes there too
    if [ "$2" = half ]; then
        find "$served/$1/tree" -type f -name 'file*[13579].bin' -delete
    fi
}

job_flags="--skip-existing --known-folders --parallel=4"
job() { # SIDE FLAGS -> seconds
    # shellcheck disable=SC2086 # the flags are words of their own
    "$driver" $2 127.0.0.1 "$port" $user $password "$work/data/tree" "$base/$1" 2>"$work/job.err" >"$work/job.txt" || {
        cat "$work/job.err" >&2
        exit 1
    }
    awk '/seconds=/ { for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] } } END { print v["seconds"] }' \
        "$work/job.txt"
}
lftp_mirror() {
    lftp -u "$user,$password" -p "$port" -e "set ftp:ssl-allow no; set ftp:passive-mode on; set net:max-retries 1; \
mirror -R --only-newer --no-perms --parallel=4 $work/data/tree $base/$1/tree; quit" 127.0.0.1
}
rclone_copy() {
    rclone --config "$work/rclone.conf" copy --transfers 4 "$work/data/tree" "bench:$base/$1/tree"
}
make_rclone_config() {
    cat >"$work/rclone.conf" <<CONF
[bench]
type = ftp
host = 127.0.0.1
port = $port
user = $user
pass = $(rclone obscure "$password")
CONF
}

# One side of a race: the server's state placed, the timed run, the tree checked.
run_side() { # SIDE STATE COMMAND...
    local side=$1 state=$2 seconds
    shift 2
    place "$side" "$state"
    if [ "$1" = job ]; then seconds=$(job "$side" "$2"); else seconds=$(timed "$@" "$side"); fi
    verify_tree "$work/data/tree" "$served/$side/tree"
    rm -rf "${served:?}/$side"
    echo "$seconds"
}
full_job() { run_side job full job "$job_flags"; }
full_lftp() { run_side lftp full lftp_mirror; }
full_rclone() { run_side rclone full rclone_copy; }
half_job() { run_side job half job "$job_flags"; }
half_lftp() { run_side lftp half lftp_mirror; }
half_rclone() { run_side rclone half rclone_copy; }
send_all_job() { run_side job none job "--known-folders --parallel=4"; }

commands_sent() { awk -F= '/^commands=/ { n += $2 } END { print n + 0 }' "$work/proxy.log"; }
commands_per_file() { # SIDE-COMMAND -> control lines per file of one run
    local before
    before=$(commands_sent)
    "$1" >/dev/null
    sleep 1 # the proxy logs a connection once its close has crossed the delayed line
    echo "scale=2; ($(commands_sent) - $before) / $tree_files" | bc
}

row() { # SERVER CASE PEER
    printf '%-10s %-26s %9.2f %9.2f %-12s %7.3f\n' "$1" "$2" "$median_ours" "$median_theirs" "$3" \
        "$(echo "$median_ours / $median_theirs" | bc -l)"
}

echo
echo "Median of $runs runs each, through a proxy that adds a round trip of $rtt ms."
printf '%-10s %-26s %9s %9s %-12s %7s\n' server case "job (s)" "peer (s)" peer ratio
for server in "${servers[@]}"; do
    start_named_server "$server"
    start_latency_proxy "$rtt"
    make_rclone_config
    race full_job full_lftp full_rclone
    row "$server" "re-run, all there" "${best_peer#*_}"
    race half_job half_lftp half_rclone
    row "$server" "re-run, half there" "${best_peer#*_}"
    race send_all_job half_job
    # The half re-run against the same job sending everything to an empty server.
    read -r median_ours median_theirs <<<"$median_theirs $median_ours"
    row "$server" "half there vs send all" "job, all"
    echo "$server: commands per file of a full re-run: job $(commands_per_file full_job)," \
        "lftp $(commands_per_file full_lftp), rclone $(commands_per_file full_rclone)"
    stop_latency_proxy
    stop_named_server
done
