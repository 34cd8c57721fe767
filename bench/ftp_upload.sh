#!/usr/bin/env bash
# The FTP client alone against a local python FTP server, passive mode, beside curl: one big file and a tree
# of 2,000 small files (1 B to 64 KiB in 50 folders), best of five alternating runs each
# (FERRYLO_BENCH_RUNS); prints both times, the ratio and our peak memory, then our peak memory for a
# 100 MiB and the big file.
# Usage: bench/ftp_upload.sh [big-file-MiB (default 1024)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
big_mib=${1:-1024}

bench_build ferrylo_ftp_bench
driver=$build/ftp/ferrylo_ftp_bench
bench_workspace ftp-bench
echo "Generating data in $work ..."
make_file "$work/data/big.bin" "$big_mib"
make_file "$work/data/mid.bin" 100
make_tree "$work/data/tree" 2000 50
start_server

# ours LOCAL REMOTE -> "seconds peak_kib"
ours() {
    /usr/bin/time -v -o "$work/time.txt" "$driver" 127.0.0.1 "$port" $user $password passive "$1" "$2" >"$work/ours.txt"
    local seconds peak
    seconds=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/ours.txt")
    peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
    echo "$seconds $peak"
}

# theirs LOCAL REMOTE -> seconds; one curl process, one connection, folders made as needed.
theirs() {
    local config=$work/curl.cfg
    : >"$config"
    if [ -d "$1" ]; then
        (cd "$1" && find . -type f | sort) | while read -r f; do
            printf 'upload-file = "%s/%s"\nurl = "ftp://127.0.0.1:%s/%s/%s"\n' "$1" "${f#./}" "$port" "$2" "${f#./}"
        done >>"$config"
    else
        printf 'upload-file = "%s"\nurl = "ftp://127.0.0.1:%s/%s/"\n' "$1" "$port" "$2" >>"$config"
    fi
    local start end
    start=$(now)
    curl -s -S --ftp-pasv --ftp-create-dirs --user $user:$password -K "$config"
    end=$(now)
    elapsed "$start" "$end"
}

# One side of a race each: upload, check what arrived, clear the server root again.
big_ours() {
    ours "$work/data/big.bin" ours
    verify "$work/data/big.bin" "$work/root/ours/big.bin" && rm -rf "$work/root/ours"
}
big_curl() {
    theirs "$work/data/big.bin" curl
    verify "$work/data/big.bin" "$work/root/curl/big.bin" && rm -rf "$work/root/curl"
}
tree_ours() {
    ours "$work/data/tree" ours
    verify_tree "$work/data/tree" "$work/root/ours" && rm -rf "$work/root/ours"
}
tree_curl() {
    theirs "$work/data/tree" curl
    verify_tree "$work/data/tree" "$work/root/curl" && rm -rf "$work/root/curl"
}
report() {
    printf '  ours %.2f s   curl %.2f s   ratio %.3f   our peak memory %d KiB\n' "$best_ours" "$best_theirs" \
        "$(echo "$best_ours / $best_theirs" | bc -l)" "$peak_ours"
}

echo
echo "Big file (${big_mib} MiB), passive, best of $runs runs each:"
race big_ours big_curl
report
peak_big=$peak_ours

echo "Tree of 2,000 files (1 B-64 KiB, 50 folders), passive, best of $runs runs each:"
race tree_ours tree_curl
report

echo "Peak memory by file size (ours):"
read -r _ peak_mid < <(ours "$work/data/mid.bin" mid)
rm -rf "$work/root/mid"
printf '  100 MiB: %d KiB   %d MiB: %d KiB\n' "$peak_mid" "$big_mib" "$peak_big"
