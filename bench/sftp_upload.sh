#!/usr/bin/env bash
# SFTP uploads: the whole copy job (the real handler, windows offscreen, "Протокол SFTP (SSH)" ticked) against an
# sshd of the benchmark's own on 127.0.0.1, beside OpenSSH's `sftp -b`, `curl -T sftp://` and lftp over sftp: one
# big file, and a tree of 2,000 files (1 B to 64 KiB in 50 folders) beside `sftp` (put -r) and `lftp mirror -R`.
# Median of FERRYLO_BENCH_RUNS (5) alternating runs; every upload is checked byte for byte.
# With --rtt MS every client reaches the server through bench/latency_proxy.py, as if MS away, and the tree has 200
# files (a peer that sends one file at a time would take minutes for 2,000).
# FERRYLO_BENCH_JOB_FLAGS passes options to the job's driver, e.g. "--known-folders --parallel=4".
# Usage: bench/sftp_upload.sh [--rtt MS] [big-file-MiB (default 1024)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
rtt=
if [ "${1:-}" = --rtt ]; then
    rtt=$2
    shift 2
fi
big_mib=${1:-1024}

bench_build ferrylo_copy_bench
bench_workspace sftp-bench
echo "Generating data in $work ..."
make_file "$work/data/big.bin" "$big_mib"
tree_files=$([ -n "$rtt" ] && echo 200 || echo 2000)
make_tree "$work/data/tree" "$tree_files" 50

# An sshd of our own: its host key, a client key it accepts, a configuration that listens on 127.0.0.1 only.
ssh_dir=$work/ssh home=$work/home
mkdir -p "$ssh_dir" "$home/.ssh" /run/sshd
ssh-keygen -q -t ed25519 -N '' -f "$ssh_dir/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$home/.ssh/id_ed25519"
cp "$home/.ssh/id_ed25519.pub" "$ssh_dir/authorized_keys"
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$ssh_dir/sshd_config" <<CONF
ListenAddress 127.0.0.1
Port $port
HostKey $ssh_dir/host_key
PidFile $ssh_dir/sshd.pid
AuthorizedKeysFile $ssh_dir/authorized_keys
StrictModes no
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
Subsystem sftp internal-sftp
UseDNS no
MaxStartups 64
LogLevel ERROR
CONF
/usr/sbin/sshd -D -e -f "$ssh_dir/sshd_config" 2>"$work/server.log" &
server_pid=$!
await_daemon sshd
if [ -n "$rtt" ]; then
    start_latency_proxy "$rtt" --raw
fi
user=$(id -un)
served=$work/root
# Every client knows the host key, for the port it dials.
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$ssh_dir/host_key.pub")" >"$home/.ssh/known_hosts"
ssh_options=(-F /dev/null -o IdentitiesOnly=yes -i "$home/.ssh/id_ed25519" -o UserKnownHostsFile="$home/.ssh/known_hosts"
    -o StrictHostKeyChecking=yes -o BatchMode=yes)

timed() { # COMMAND... -> seconds
    local start end
    start=$(now)
    "$@" >/dev/null 2>>"$work/peers.log"
    end=$(now)
    elapsed "$start" "$end"
}
sftp_batch() { printf '%s\n' "$1" | timeout 600 sftp -q "${ssh_options[@]}" -P "$port" -b - "$user@127.0.0.1"; }
lftp_run() {
    timeout 600 lftp -e "set sftp:connect-program 'ssh ${ssh_options[*]}'; set net:max-retries 1; $1; quit" \
        "sftp://$user:@127.0.0.1:$port"
}

# Each case uploads, checks what arrived, clears its part of the root and prints "seconds [peak_kib [gap_ms]]".
job() { # SOURCE FOLDER
    mkdir -p "$served/$2"
    # shellcheck disable=SC2086 # the flags are words of their own
    HOME=$home "$driver" --sftp ${FERRYLO_BENCH_JOB_FLAGS:-} 127.0.0.1 "$port" "$user" "" "$1" "$served/$2" \
        2>"$work/job.err" >"$work/job.txt" || true
    awk '/seconds=/ { for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] } }
         END { print v["seconds"], v["peak_kib"], v["loop_gap_ms"] + 0 }' "$work/job.txt"
}
big_job() {
    job "$work/data/big.bin" big
    verify "$work/data/big.bin" "$served/big/big.bin" && rm -rf "$served/big"
}
big_sftp() {
    mkdir -p "$served/big"
    timed sftp_batch "put $work/data/big.bin $served/big/big.bin"
    verify "$work/data/big.bin" "$served/big/big.bin" && rm -rf "$served/big"
}
big_curl() {
    mkdir -p "$served/big"
    timed curl -s -k --key "$home/.ssh/id_ed25519" --pubkey "$home/.ssh/id_ed25519.pub" -u "$user:" \
        -T "$work/data/big.bin" "sftp://127.0.0.1:$port$served/big/"
    verify "$work/data/big.bin" "$served/big/big.bin" && rm -rf "$served/big"
}
big_lftp() {
    mkdir -p "$served/big"
    timed lftp_run "put $work/data/big.bin -o $served/big/big.bin"
    verify "$work/data/big.bin" "$served/big/big.bin" && rm -rf "$served/big"
}
tree_job() {
    job "$work/data/tree" tree
    verify_tree "$work/data/tree" "$served/tree/tree" && rm -rf "$served/tree"
}
tree_sftp() {
    mkdir -p "$served/tree"
    timed sftp_batch "put -r $work/data/tree $served/tree/"
    verify_tree "$work/data/tree" "$served/tree/tree" && rm -rf "$served/tree"
}
tree_lftp() {
    mkdir -p "$served/tree"
    timed lftp_run "mirror -R $work/data/tree $served/tree/tree"
    verify_tree "$work/data/tree" "$served/tree/tree" && rm -rf "$served/tree"
}

row() { # CASE
    printf '%-22s %9.2f %9.2f %-10s %7.3f %10d %6d\n' "$1" "$median_ours" "$median_theirs" "${best_peer#*_}" \
        "$(echo "$median_ours / $median_theirs" | bc -l)" "$peak_ours" "$gap_ours"
}

echo
echo "SFTP to sshd on 127.0.0.1${rtt:+, through a proxy that adds a round trip of $rtt ms}; median of $runs runs each."
echo "Job flags: --sftp ${FERRYLO_BENCH_JOB_FLAGS:-}"
printf '%-22s %9s %9s %-10s %7s %10s %6s\n' case "job (s)" "peer (s)" peer ratio "peak KiB" "gap ms"
race big_job big_sftp big_curl big_lftp
row "big file (${big_mib} MiB)"
race tree_job tree_sftp tree_lftp
row "tree of $tree_files files"
