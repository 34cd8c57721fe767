#!/usr/bin/env bash
# The FTP client alone against local FTP servers (pyftpdlib and vsftpd), passive mode, beside curl: one big
# file and a tree of 2,000 small files (1 B to 64 KiB in 50 folders), median of five alternating runs each
# (FERRYLO_BENCH_RUNS); one row per server and case with our peak memory, then our peak memory for 100 MiB.
# FERRYLO_BENCH_SERVERS picks the servers ("pyftpdlib vsftpd" by default).
# Usage: bench/ftp_upload.sh [big-file-MiB (default 1024)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
big_mib=${1:-1024}

bench_build ferrylo_ftp_bench
bench_workspace ftp-bench
echo "Generating data in $work ..."
make_file "$work/data/big.bin" "$big_mib"
make_file "$work/data/mid.bin" 100
make_tree "$work/data/tree" 2000 50

# ours LOCAL REMOTE -> "seconds peak_kib"
ours() {
    /usr/bin/time -v -o "$work/time.txt" "$driver" 127.0.0.1 "$port" $user $password passive "$1" "$base/$2" \
        >"$work/ours.txt"
    local seconds peak
    seconds=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/ours.txt")
    peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
    echo "$seconds $peak"
}

# curl LOCAL REMOTE -> seconds; one curl process, one connection, folders made as needed.
curl_put() {
    local config=$work/curl.cfg
    : >"$config"
    if [ -d "$1" ]; then
        (cd "$1" && find . -type f | sort) | while read -r f; do
            printf 'upload-file = "%s/%s"\nurl = "ftp://127.0.0.1:%s%s/%s/%s"\n' "$1" "${f#./}" "$port" "$base" "$2" \
                "${f#./}"
        done >>"$config"
    else
        printf 'upload-file = "%s"\nurl = "ftp://127.0.0.1:%s%s/%s/"\n' "$1" "$port" "$base" "$2" >>"$config"
    fi
    local start end
    start=$(now)
    curl -s -S --ftp-pasv --ftp-create-dirs --user "$user:$password" -K "$config"
    end=$(now)
    elapsed "$start" "$end"
}

# One side of a race each: upload, check what arrived, clear the server root again.
big_ours() {
    ours "$work/data/big.bin" ours
    verify "$work/data/big.bin" "$served/ours/big.bin" && rm -rf "$served/ours"
}
big_curl() {
    curl_put "$work/data/big.bin" curl
    verify "$work/data/big.bin" "$served/curl/big.bin" && rm -rf "$served/curl"
}
tree_ours() {
    ours "$work/data/tree" ours
    verify_tree "$work/data/tree" "$served/ours" && rm -rf "$served/ours"
}
tree_curl() {
    curl_put "$work/data/tree" curl
    verify_tree "$work/data/tree" "$served/curl" && rm -rf "$served/curl"
}

row() { # SERVER CASE
    printf '%-10s %-22s %9.2f %9.2f %7.3f %10d\n' "$1" "$2" "$median_ours" "$median_theirs" \
        "$(echo "$median_ours / $median_theirs" | bc -l)" "$peak_ours"
}

echo
echo "Passive, median of $runs runs each."
printf '%-10s %-22s %9s %9s %7s %10s\n' server case "ours (s)" "curl (s)" ratio "peak KiB"
for server in "${servers[@]}"; do
    start_named_server "$server"
    race big_ours big_curl
    row "$server" "big file (${big_mib} MiB)"
    race tree_ours tree_curl
    row "$server" "tree of 2,000 files"
    if [ "$server" = "${servers[0]}" ]; then
        read -r _ peak_mid < <(ours "$work/data/mid.bin" mid)
        rm -rf "$served/mid"
    fi
    stop_named_server
done
echo "Our peak memory for a 100 MiB file: ${peak_mid:-?} KiB"
