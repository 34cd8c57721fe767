#!/usr/bin/env bash
# The whole copy job (the real handler, windows offscreen) against local FTP servers (pyftpdlib and
# vsftpd), all passive: one big file beside curl -T, lftp put and ncftpput, and a tree of 2,000 files
# (1 B to 64 KiB in 50 folders) beside lftp "mirror -R". Median of five alternating runs each
# (FERRYLO_BENCH_RUNS); one row per server and case, then the job's peak memory for 100 MiB and the big file.
# "gap ms" is the longest the job's message loop left an event waiting (a close request), over all its runs.
# Under the big file's row: how busy the server was, in how many rounds the job beat the best peer, and the ratio
# of the fastest runs (FERRYLO_BENCH_SERVERS="pyftpdlib vsftpd proftpd" adds a third server).
# FERRYLO_BENCH_SERVERS picks the servers ("pyftpdlib vsftpd" by default); FERRYLO_BENCH_DRIVER runs a driver
# built elsewhere (an older commit, for a before-and-after) instead of building this one.
# With --rtt MS the clients reach each server through bench/latency_proxy.py, as if MS away: only a tree of
# 200 files in 50 folders is raced, beside lftp "mirror -R" and ncftpput -R, with the time per file, and then
# beside the peers at 4 connections, lftp "mirror -R --parallel=4" and rclone copy --transfers 4 (its FTP backend).
# Usage: bench/copy_upload.sh [--rtt MS] [big-file-MiB (default 1024)]
# FERRYLO_BENCH_JOB_FLAGS passes options to the job's driver, e.g. "--known-folders --parallel=4".
# FERRYLO_BENCH_CASES picks the loopback cases ("big tree" by default). TMPDIR=/dev/shm keeps the generated data in
# memory too: where the system reclaims the page cache eagerly, some runs otherwise read the big file from the disk.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
rtt=
if [ "${1:-}" = --rtt ]; then
    rtt=$2
    shift 2
fi
big_mib=${1:-1024}
cases=${FERRYLO_BENCH_CASES:-big tree}

if [ -n "${FERRYLO_BENCH_DRIVER:-}" ]; then
    driver=$FERRYLO_BENCH_DRIVER
    "$repo/tools/install-deps.sh" bench >/dev/null
else
    bench_build ferrylo_copy_bench
fi
bench_workspace copy-bench
echo "Generating data in $work ..."
if [ -n "$rtt" ]; then
    tree_files=200
else
    tree_files=2000
    make_file "$work/data/big.bin" "$big_mib"
    make_file "$work/data/mid.bin" 100
fi
make_tree "$work/data/tree" "$tree_files" 50

# job SOURCE DESTINATION -> "seconds peak_kib gap_ms"
job() {
    # shellcheck disable=SC2086 # the flags are words of their own
    "$driver" ${FERRYLO_BENCH_JOB_FLAGS:-} 127.0.0.1 "$port" $user $password "$1" "$base/$2" 2>"$work/job.err" >"$work/job.txt" || {
        cat "$work/job.err" >&2
        exit 1
    }
    # An older driver (FERRYLO_BENCH_DRIVER) may not report the gap: 0 then.
    awk '/seconds=/ { for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] } }
         END { print v["seconds"], v["peak_kib"], v["loop_gap_ms"] + 0 }' "$work/job.txt"
}

timed() { # COMMAND... -> seconds
    local start end
    start=$(now)
    "$@" >/dev/null
    end=$(now)
    elapsed "$start" "$end"
}
lftp_run() { lftp -u "$user,$password" -p "$port" -e "set ftp:ssl-allow no; set ftp:passive-mode on; set net:max-retries 1; $1; quit" 127.0.0.1; }

# One side of a race each: upload, check what arrived, clear the server root again.
big_job() {
    job "$work/data/big.bin" job
    verify "$work/data/big.bin" "$served/job/big.bin" && rm -rf "$served/job"
}
big_curl() {
    timed curl -s -S --ftp-pasv --ftp-create-dirs --user "$user:$password" -T "$work/data/big.bin" \
        "ftp://127.0.0.1:$port$base/curl/"
    verify "$work/data/big.bin" "$served/curl/big.bin" && rm -rf "$served/curl"
}
big_lftp() {
    timed lftp_run "mkdir -p $base/lftp; put -O $base/lftp $work/data/big.bin"
    verify "$work/data/big.bin" "$served/lftp/big.bin" && rm -rf "$served/lftp"
}
big_ncftp() {
    timed ncftpput -u "$user" -p "$password" -P "$port" -F -m -V 127.0.0.1 "$base/ncftp" "$work/data/big.bin"
    verify "$work/data/big.bin" "$served/ncftp/big.bin" && rm -rf "$served/ncftp"
}
tree_job() {
    job "$work/data/tree" job
    verify_tree "$work/data/tree" "$served/job/tree" && rm -rf "$served/job"
}
tree_lftp() {
    timed lftp_run "mirror -R --no-perms $work/data/tree $base/lftp"
    verify_tree "$work/data/tree" "$served/lftp" && rm -rf "$served/lftp"
}
tree_lftp4() {
    timed lftp_run "mirror -R --no-perms --parallel=4 $work/data/tree $base/lftp"
    verify_tree "$work/data/tree" "$served/lftp" && rm -rf "$served/lftp"
}
tree_rclone4() {
    mkdir -p "$served/rclone/tree" # its backend cannot begin in a folder that is not there
    chmod -R a+rwX "$served/rclone" # a daemon that runs as a user of its own writes there
    timed rclone --config "$work/rclone.conf" copy --transfers 4 "$work/data/tree" "bench:$base/rclone/tree"
    verify_tree "$work/data/tree" "$served/rclone/tree" && rm -rf "$served/rclone"
}
make_rclone_config() {
    printf '[bench]\ntype = ftp\nhost = 127.0.0.1\nport = %s\nuser = %s\npass = %s\n' "$port" "$user" \
        "$(rclone obscure "$password")" >"$work/rclone.conf"
}
tree_ncftp() {
    timed ncftpput -R -m -u "$user" -p "$password" -P "$port" -F -V 127.0.0.1 "$base/ncftp" "$work/data/tree"
    verify_tree "$work/data/tree" "$served/ncftp/tree" && rm -rf "$served/ncftp"
}

# Control lines the clients sent through the latency proxy so far (it logs each control connection's count).
commands_sent() { awk -F= '/^commands=/ { n += $2 } END { print n + 0 }' "$work/proxy.log"; }
# The proxy logs a connection once its close has crossed the delayed line: a count waits (10 s at most) until every
# control connection opened so far has been logged, so no earlier client's lines land in a later client's count.
proxy_settled() {
    for _ in $(seq 100); do
        awk '/^opened/ { o++ } /^commands=/ { c++ } END { exit !(o == c) }' "$work/proxy.log" && return 0
        sleep 0.1
    done
}
commands_per_file() { # TREE_COMMAND -> control lines per file of one run
    local before
    proxy_settled
    before=$(commands_sent)
    "$1" >/dev/null
    proxy_settled
    echo "scale=1; ($(commands_sent) - $before) / $tree_files" | bc
}

row() { # SERVER CASE
    printf '%-10s %-22s %9.2f %9.2f %-10s %7.3f %7.3f %10d %6d\n' "$1" "$2" "$median_ours" "$median_theirs" \
        "${best_peer#*_}" "$(echo "$median_ours / $median_theirs" | bc -l)" "$paired_ratio" "$peak_ours" "$gap_ours"
}

echo
echo "Median of $runs runs each; the peer is the fastest of those raced (its median); \"paired\" is the median of each" \
    "round's job / that peer."
[ -z "$rtt" ] || echo "Through a proxy that adds a round trip of $rtt ms."
printf '%-10s %-22s %9s %9s %-10s %7s %7s %10s %6s\n' server case "job (s)" "peer (s)" peer ratio paired "peak KiB" \
    "gap ms"
for server in "${servers[@]}"; do
    start_named_server "$server"
    if [ -n "$rtt" ]; then
        start_latency_proxy "$rtt"
        race tree_job tree_lftp tree_ncftp
        row "$server" "tree, $rtt ms"
        echo "$server: per file, job $(echo "$median_ours * 1000 / $tree_files" | bc) ms," \
            "${best_peer#*_} $(echo "$median_theirs * 1000 / $tree_files" | bc) ms"
        echo "$server: commands per file, job $(commands_per_file tree_job), lftp $(commands_per_file tree_lftp)"
        make_rclone_config
        race tree_job tree_lftp4 tree_rclone4
        row "$server" "tree, $rtt ms, 4 conn."
        echo "$server: commands per file at 4 connections, lftp $(commands_per_file tree_lftp4)," \
            "rclone $(commands_per_file tree_rclone4)"
        stop_latency_proxy
        stop_named_server
        continue
    fi
    if [[ " $cases " == *" big "* ]]; then
        race big_job big_curl big_lftp big_ncftp
        row "$server" "big file (${big_mib} MiB)"
        [ -z "$busy_ours" ] || printf '%s: the server busy (its CPU seconds per second of upload): job %.2f, %s %.2f\n' \
            "$server" "$busy_ours" "${best_peer#*_}" "$busy_theirs"
        printf '%s: the job was faster than %s in %d of %d rounds; its fastest run / the fastest peer run: %.3f\n' \
            "$server" "${best_peer#*_}" "$wins_ours" "$runs" "$fastest_ratio"
    fi
    if [[ " $cases " == *" tree "* ]]; then
        race tree_job tree_lftp
        row "$server" "tree of 2,000 files"
    fi
    if [ "$server" = "${servers[0]}" ]; then
        read -r _ peak_mid _ < <(job "$work/data/mid.bin" mid)
        verify "$work/data/mid.bin" "$served/mid/mid.bin" && rm -rf "$served/mid"
    fi
    stop_named_server
done
[ -n "$rtt" ] || echo "Job peak memory for a 100 MiB file: ${peak_mid:-?} KiB"
