#!/usr/bin/env bash
# The whole copy job over plain FTP and over FTPS (explicit TLS on both connections) against one local pyftpdlib
# server that speaks both, with a self-signed certificate made here: one big file, passive, median of
# FERRYLO_BENCH_RUNS alternating runs each, and the ratio FTPS / plain.
# Usage: bench/ftps_upload.sh [big-file-MiB (default 256)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
big_mib=${1:-256}

bench_build ferrylo_copy_bench
bench_workspace ftps-bench
echo "Generating $big_mib MiB in $work ..."
make_file "$work/data/big.bin" "$big_mib"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1 \
    -addext subjectAltName=IP:127.0.0.1 -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null

sync
/usr/bin/python3 -u "$repo/tests/support/pyftpd_server.py" --root "$work/root" --user $user --password $password \
    --certfile "$work/cert.pem" --keyfile "$work/key.pem" --tls-optional >"$work/port" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 150); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -n1 "$work/port")
[ -n "$port" ] || { echo "server did not start"; cat "$work/server.log"; exit 1; }

# run [--ftps] -> seconds; checks what arrived and clears it.
run() {
    "$driver" "$@" 127.0.0.1 "$port" $user $password "$work/data/big.bin" /job 2>"$work/job.err" >"$work/job.txt" || {
        cat "$work/job.err" >&2
        exit 1
    }
    verify "$work/data/big.bin" "$work/root/job/big.bin" && rm -rf "$work/root/job"
    sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/job.txt"
}

plain=() tls=()
for _ in $(seq "$runs"); do
    plain+=("$(run)")
    tls+=("$(run --ftps)")
done
plain_median=$(median "${plain[@]}")
tls_median=$(median "${tls[@]}")
echo "plain: ${plain[*]}"
echo "ftps:  ${tls[*]}"
printf 'big file %d MiB, median of %d: plain %.2f s, FTPS %.2f s, ratio %.2f\n' "$big_mib" "$runs" \
    "$plain_median" "$tls_median" "$(echo "$tls_median / $plain_median" | bc -l)"
