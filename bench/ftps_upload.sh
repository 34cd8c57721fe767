#!/usr/bin/env bash
# The whole copy job over plain FTP and over FTPS (explicit TLS on both connections) against local servers that
# speak both (pyftpdlib and vsftpd, or FERRYLO_BENCH_SERVERS), with a self-signed certificate made here, median of
# FERRYLO_BENCH_RUNS alternating runs:
# - one big file, passive, beside `lftp put` with TLS forced and `curl --ssl-reqd -T` on the same server, and the
#   ratio FTPS / plain;
# - with --rtt MS, a 200-file tree in 50 folders through bench/latency_proxy.py as if MS away, with known folders
#   and 4 connections, plain against FTPS, and the TLS handshakes each file cost (full and resumed);
# - with --memory, a 2,000-file tree in 50 folders on loopback, with known folders and 8 connections: the peak
#   resident memory (the shared libraries' pages included), plain against FTPS, of the whole run and of the upload
#   alone (sampled every 10 ms until the job's end steps, where the chime loads its player).
# FERRYLO_BENCH_DRIVER runs a driver built elsewhere (an older version, to compare).
# Usage: bench/ftps_upload.sh [--rtt MS | --memory] [big-file-MiB (default 256)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
rtt=
memory=
if [ "${1:-}" = --rtt ]; then
    rtt=$2
    shift 2
elif [ "${1:-}" = --memory ]; then
    memory=1
    shift
fi
big_mib=${1:-256}
# Passive ports the server offers: through the proxy they must be known beforehand, as the replies are encrypted.
# Without the proxy the servers keep their own wide ranges: this narrow one lies among the system's ports for
# outgoing connections, and a client's connection lingering on one of them makes the server's passive bind fail
# (vsftpd: "OOPS: vsf_sysutil_bind"), which a job of thousands of files on loopback meets.
passive_ports=
[ -z "$rtt" ] || passive_ports=47100-47163

if [ -n "${FERRYLO_BENCH_DRIVER:-}" ]; then
    "$repo/tools/install-deps.sh" bench >/dev/null
    driver=$FERRYLO_BENCH_DRIVER
else
    bench_build ferrylo_copy_bench
fi
bench_workspace ftps-bench
if [ -n "$rtt" ]; then
    echo "Generating a 200-file tree in $work ..."
    make_tree "$work/data/tree" 200 50
elif [ -n "$memory" ]; then
    echo "Generating a 2,000-file tree in $work ..."
    make_tree "$work/data/tree" 2000 50
else
    echo "Generating $big_mib MiB in $work ..."
    make_file "$work/data/big.bin" "$big_mib"
fi
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1 \
    -addext subjectAltName=IP:127.0.0.1,IP:127.0.0.2 -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null

# start_tls_server NAME: the server on 127.0.0.1 speaking both plain FTP and explicit TLS with the certificate made
# here, the passive ports in $passive_ports (when set); sets port, user, password, served and base.
start_tls_server() {
    if [ "$1" = vsftpd ]; then
        vsftpd_passive=${passive_ports/-/ } vsftpd_tls="$work/cert.pem $work/key.pem" start_vsftpd
        return
    fi
    sync
    served=$work/root base=
    user=bench password=bench
    /usr/bin/python3 -u "$repo/tests/support/pyftpd_server.py" --root "$work/root" --user $user \
        --password $password --certfile "$work/cert.pem" --keyfile "$work/key.pem" --tls-optional \
        ${passive_ports:+--passive-ports "$passive_ports"} >"$work/port" 2>"$work/server.log" &
    server_pid=$!
    for _ in $(seq 150); do [ -s "$work/port" ] && break; sleep 0.1; done
    port=$(head -n1 "$work/port")
    [ -n "$port" ] || { echo "server did not start"; cat "$work/server.log"; exit 1; }
}

# job [driver flags...] SOURCE -> "seconds full_handshakes resumed_handshakes hello_retries peak_kib
# upload_peak_kib"; checks what
# arrived and clears it.
job() {
    local source=${*: -1}
    "$driver" "${@:1:$#-1}" "$host" "$port" $user $password "$source" "$base/job" 2>"$work/job.err" \
        >"$work/job.txt" || {
        cat "$work/job.err" >&2
        exit 1
    }
    local arrived=$served/job/$(basename "$source")
    if [ -d "$source" ]; then verify_tree "$source" "$arrived"; else verify "$source" "$arrived"; fi
    rm -rf "$served/job"
    awk '/seconds=/ { for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] } }
         END { print v["seconds"], v["tls_handshakes"] - v["tls_resumed"], v["tls_resumed"] + 0,
                     v["tls_hellos"] - v["tls_handshakes"], v["peak_kib"], v["upload_peak_kib"] }' "$work/job.txt"
}
# The peers over TLS. curl begins the data connection's handshake before it sends the transfer command, and
# pyftpdlib closes a data connection that is ready before it knows what for: curl races on vsftpd only.
curl_upload() {
    timed curl -s -S --ssl-reqd --cacert "$work/cert.pem" --ftp-pasv --ftp-create-dirs --user "$user:$password" \
        -T "$work/data/big.bin" "ftp://127.0.0.1:$port$base/curl/"
    verify "$work/data/big.bin" "$served/curl/big.bin" && rm -rf "$served/curl"
}
lftp_upload() {
    timed lftp -u "$user,$password" -p "$port" -e "set ftp:ssl-force yes; set ftp:ssl-protect-data yes; \
        set ssl:verify-certificate no; set ftp:passive-mode on; set net:max-retries 1; \
        mkdir -p $base/lftp; put -O $base/lftp $work/data/big.bin; quit" 127.0.0.1
    verify "$work/data/big.bin" "$served/lftp/big.bin" && rm -rf "$served/lftp"
}

if [ -n "$rtt" ]; then
    what="tree of 200 files, $rtt ms, known folders + 4 connections"
    flags=(--known-folders --parallel=4)
    source=$work/data/tree
elif [ -n "$memory" ]; then
    what="tree of 2,000 files, known folders + 8 connections"
    flags=(--known-folders --parallel=8)
    source=$work/data/tree
else
    what="big file $big_mib MiB"
    flags=()
    source=$work/data/big.bin
fi
for server in "${servers[@]}"; do
    start_tls_server "$server"
    host=127.0.0.1
    if [ -n "$rtt" ]; then
        start_latency_proxy "$rtt" "--passive-ports $passive_ports"
        host=127.0.0.2 # where the proxy listens in this mode
    fi
    plain=() tls=() full=() resumed=() retries=() plain_peaks=() tls_peaks=() plain_uploads=() tls_uploads=()
    declare -A peer_times=()
    peers=(lftp_upload)
    [ "$server" = pyftpdlib ] || peers+=(curl_upload)
    for round in $(seq "$runs"); do
        # Who goes first alternates, so a disturbance that comes and goes does not favour one side.
        if ((round % 2)); then
            read -r seconds _ _ _ peak upload <<<"$(job "${flags[@]}" "$source")"
            plain+=("$seconds") plain_peaks+=("$peak") plain_uploads+=("$upload")
        fi
        read -r seconds handshakes reused retried peak upload <<<"$(job --ftps "${flags[@]}" "$source")"
        tls+=("$seconds") full+=("$handshakes") resumed+=("$reused") retries+=("$retried") tls_peaks+=("$peak")
        tls_uploads+=("$upload")
        if ((round % 2 == 0)); then
            read -r seconds _ _ _ peak upload <<<"$(job "${flags[@]}" "$source")"
            plain+=("$seconds") plain_peaks+=("$peak") plain_uploads+=("$upload")
        fi
        if [ -z "$rtt$memory" ]; then
            for peer in "${peers[@]}"; do peer_times[$peer]+="$($peer) "; done
        fi
    done
    plain_median=$(median "${plain[@]}")
    tls_median=$(median "${tls[@]}")
    echo "$server plain: ${plain[*]}"
    echo "$server ftps:  ${tls[*]}"
    printf '%s, %s, median of %d: plain %.2f s, FTPS %.2f s, ratio %.2f\n' "$server" "$what" "$runs" \
        "$plain_median" "$tls_median" "$(echo "$tls_median / $plain_median" | bc -l)"
    printf '%s: TLS handshakes of an FTPS job: %s full, %s resumed, %s hellos sent again\n' "$server" \
        "$(median "${full[@]}")" "$(median "${resumed[@]}")" "$(median "${retries[@]}")"
    if [ -n "$memory" ]; then
        printf '%s: peak KiB, plain %s (median %s), FTPS %s (median %s)\n' "$server" "${plain_peaks[*]}" \
            "$(median "${plain_peaks[@]}")" "${tls_peaks[*]}" "$(median "${tls_peaks[@]}")"
        printf '%s: upload peak KiB, plain %s (median %s), FTPS %s (median %s)\n' "$server" "${plain_uploads[*]}" \
            "$(median "${plain_uploads[@]}")" "${tls_uploads[*]}" "$(median "${tls_uploads[@]}")"
    elif [ -z "$rtt" ]; then
        for peer in "${peers[@]}"; do
            # shellcheck disable=SC2086 # the times are words of their own
            peer_median=$(median ${peer_times[$peer]})
            printf '%s: %s %s-> median %.2f s; FTPS job / %s %.2f\n' "$server" "$peer" "${peer_times[$peer]}" \
                "$peer_median" "${peer%_upload}" "$(echo "$tls_median / $peer_median" | bc -l)"
        done
    fi
    stop_latency_proxy
    stop_named_server
done
