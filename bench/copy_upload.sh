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

echo
echo "Big file (${big_mib} MiB), best of $runs runs each:"
job_big=999999 curl_big=999999 peak_big=0
for _ in $(seq "$runs"); do
    read -r seconds peak < <(job "$work/data/big.bin" /job)
    verify "$work/data/big.bin" "$work/root/job/big.bin"
    rm -rf "$work/root/job"
    job_big=$(min "$seconds" "$job_big") peak_big=$((peak > peak_big ? peak : peak_big))
    seconds=$(curl_put "$work/data/big.bin" curl)
    verify "$work/data/big.bin" "$work/root/curl/big.bin"
    rm -rf "$work/root/curl"
    curl_big=$(min "$seconds" "$curl_big")
done
printf '  job %.2f s   curl %.2f s   ratio %.3f\n' "$job_big" "$curl_big" "$(echo "$job_big / $curl_big" | bc -l)"

echo "Tree of 2,000 files (1 B-64 KiB, 50 folders), best of $runs runs each:"
job_tree=999999 lftp_tree=999999 peak_tree=0
for _ in $(seq "$runs"); do
    read -r seconds peak < <(job "$work/data/tree" /job)
    verify_tree "$work/data/tree" "$work/root/job/tree"
    rm -rf "$work/root/job"
    job_tree=$(min "$seconds" "$job_tree") peak_tree=$((peak > peak_tree ? peak : peak_tree))
    seconds=$(lftp_mirror "$work/data/tree" lftp)
    verify_tree "$work/data/tree" "$work/root/lftp"
    rm -rf "$work/root/lftp"
    lftp_tree=$(min "$seconds" "$lftp_tree")
done
printf '  job %.2f s   lftp %.2f s   ratio %.3f   job peak memory %d KiB\n' "$job_tree" "$lftp_tree" \
    "$(echo "$job_tree / $lftp_tree" | bc -l)" "$peak_tree"

echo "Job peak memory by file size:"
read -r _ peak_mid < <(job "$work/data/mid.bin" /mid)
verify "$work/data/mid.bin" "$work/root/mid/mid.bin"
printf '  100 MiB: %d KiB   %d MiB: %d KiB\n' "$peak_mid" "$big_mib" "$peak_big"
