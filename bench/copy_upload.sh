#!/usr/bin/env bash
# The whole copy job (the real handler, windows offscreen) against a local python FTP server, beside
# curl -T for one big file and lftp "mirror -R" for a tree of 2,000 files (1 B to 64 KiB in 50 folders),
# all passive, best of five alternating runs each (FERRYLO_BENCH_RUNS). Prints times, ratios and the
# job's peak memory for a 100 MiB and the big file.
# Usage: bench/copy_upload.sh [big-file-MiB (default 1024)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
big_mib=${1:-1024}

bench_build ferrylo_copy_bench
driver=$build/copy/ferrylo_copy_bench
bench_workspace copy-bench
echo "Generating data in $work ..."
make_file "$work/data/big.bin" "$big_mib"
make_file "$work/data/mid.bin" 100
make_tree "$work/data/tree" 2000 50
start_server

# job SOURCE DESTINATION -> "seconds peak_kib"
job() {
    "$driver" 127.0.0.1 "$port" $user $password "$1" "$2" 2>"$work/job.err" >"$work/job.txt" || {
        cat "$work/job.err" >&2
        exit 1
    }
    sed -n 's/.*seconds=\([0-9.]*\).*peak_kib=\([0-9]*\).*/\1 \2/p' "$work/job.txt"
}

curl_put() {
    local start end
    start=$(now)
    curl -s -S --ftp-pasv --ftp-create-dirs --user $user:$password -T "$1" "ftp://127.0.0.1:$port/$2/"
    end=$(now)
    elapsed "$start" "$end"
}

lftp_mirror() {
    local start end
    start=$(now)
    lftp -u $user,$password -p "$port" \
        -e "set ftp:ssl-allow no; set ftp:passive-mode on; set net:max-retries 1; mirror -R --no-perms $1 /$2; quit" \
        127.0.0.1 >/dev/null
    end=$(now)
    elapsed "$start" "$end"
}

# One side of a race each: upload, check what arrived, clear the server root again.
big_job() {
    job "$work/data/big.bin" /job
    verify "$work/data/big.bin" "$work/root/job/big.bin" && rm -rf "$work/root/job"
}
big_curl() {
    curl_put "$work/data/big.bin" curl
    verify "$work/data/big.bin" "$work/root/curl/big.bin" && rm -rf "$work/root/curl"
}
tree_job() {
    job "$work/data/tree" /job
    verify_tree "$work/data/tree" "$work/root/job/tree" && rm -rf "$work/root/job"
}
tree_lftp() {
    lftp_mirror "$work/data/tree" lftp
    verify_tree "$work/data/tree" "$work/root/lftp" && rm -rf "$work/root/lftp"
}

echo
echo "Big file (${big_mib} MiB), best of $runs runs each:"
race big_job big_curl
printf '  job %.2f s   curl %.2f s   ratio %.3f\n' "$best_ours" "$best_theirs" "$(echo "$best_ours / $best_theirs" | bc -l)"
peak_big=$peak_ours

echo "Tree of 2,000 files (1 B-64 KiB, 50 folders), best of $runs runs each:"
race tree_job tree_lftp
printf '  job %.2f s   lftp %.2f s   ratio %.3f   job peak memory %d KiB\n' "$best_ours" "$best_theirs" \
    "$(echo "$best_ours / $best_theirs" | bc -l)" "$peak_ours"

echo "Job peak memory by file size:"
read -r _ peak_mid < <(job "$work/data/mid.bin" /mid)
verify "$work/data/mid.bin" "$work/root/mid/mid.bin"
printf '  100 MiB: %d KiB   %d MiB: %d KiB\n' "$peak_mid" "$big_mib" "$peak_big"
