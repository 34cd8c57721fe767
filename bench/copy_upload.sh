#!/usr/bin/env bash
# The whole copy job (the real handler, windows offscreen) against a local python FTP server, beside
# curl -T for one big file and lftp "mirror -R" for a tree of 2,000 files (1-64 KiB in 50 folders), all
# passive, best of five alternating runs each (FERRYLO_BENCH_RUNS). Prints times, ratios and the job's peak
# memory for a 100 MiB and the big file. Data live in a temporary folder, the server's root in memory (/dev/shm)
# where there is one, so the disk's write-back does not decide who wins; both are removed at the end.
# Usage: bench/copy_upload.sh [big-file-MiB (default 1024)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${FERRYLO_BENCH_BUILD:-$repo/build/bench}
big_mib=${1:-1024}
runs=${FERRYLO_BENCH_RUNS:-5}

"$repo/tools/install-deps.sh" bench >/dev/null

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF >/dev/null
cmake --build "$build" --target ferrylo_copy_bench -j2 >/dev/null
driver=$build/copy/ferrylo_copy_bench

work=$(mktemp -d "${TMPDIR:-/tmp}/ferrylo-copy-bench-XXXXXX")
server_pid=
cleanup() {
    if [ -n "$server_pid" ]; then
        kill -TERM "$server_pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work" "${memory_root:-}"
}
trap cleanup EXIT

mkdir -p "$work/data/tree"
memory_root=
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    memory_root=$(mktemp -d /dev/shm/ferrylo-root-XXXXXX)
    ln -s "$memory_root" "$work/root"
else
    mkdir -p "$work/root"
fi
echo "Generating data in $work ..."
head -c $((big_mib << 20)) /dev/urandom >"$work/data/big.bin"
head -c $((100 << 20)) /dev/urandom >"$work/data/mid.bin"
/usr/bin/python3 - "$work/data/tree" <<'PY'
import os, random, sys
random.seed(7)
root = sys.argv[1]
for i in range(2000):
    folder = os.path.join(root, "folder%02d" % (i % 50))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%04d.bin" % i), "wb") as f:
        f.write(os.urandom(random.randint(1, 64) * 1024))
PY
sync  # dirty pages of the generated data would otherwise be written during the first timed run

user=bench password=bench
/usr/bin/python3 -u "$repo/tests/support/pyftpd_server.py" --root "$work/root" --user $user --password $password \
    >"$work/port" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 150); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -n1 "$work/port")
[ -n "$port" ] || { echo "server did not start"; cat "$work/server.log"; exit 1; }

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }
min() { echo "if ($1 < $2) $1 else $2" | bc -l; }

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

verify() { cmp -s "$1" "$2" || { echo "MISMATCH: $1 vs $2"; exit 1; }; }

echo
echo "Big file (${big_mib} MiB), best of $runs runs each:"
job_big=999999 curl_big=999999 peak_big=0
for _ in $(seq "$runs"); do
    read -r seconds peak < <(job "$work/data/big.bin" /job)
    verify "$work/data/big.bin" "$work/root/job/big.bin"
    rm -rf "$work/root/job" && sync
    job_big=$(min "$seconds" "$job_big") peak_big=$((peak > peak_big ? peak : peak_big))
    seconds=$(curl_put "$work/data/big.bin" curl)
    verify "$work/data/big.bin" "$work/root/curl/big.bin"
    rm -rf "$work/root/curl" && sync
    curl_big=$(min "$seconds" "$curl_big")
done
printf '  job %.2f s   curl %.2f s   ratio %.3f\n' "$job_big" "$curl_big" "$(echo "$job_big / $curl_big" | bc -l)"

echo "Tree of 2,000 files (1-64 KiB, 50 folders), best of $runs runs each:"
job_tree=999999 lftp_tree=999999 peak_tree=0
for _ in $(seq "$runs"); do
    read -r seconds peak < <(job "$work/data/tree" /job)
    diff -r -q "$work/data/tree" "$work/root/job/tree" >/dev/null || { echo "MISMATCH in tree (job)"; exit 1; }
    rm -rf "$work/root/job" && sync
    job_tree=$(min "$seconds" "$job_tree") peak_tree=$((peak > peak_tree ? peak : peak_tree))
    seconds=$(lftp_mirror "$work/data/tree" lftp)
    diff -r -q "$work/data/tree" "$work/root/lftp" >/dev/null || { echo "MISMATCH in tree (lftp)"; exit 1; }
    rm -rf "$work/root/lftp" && sync
    lftp_tree=$(min "$seconds" "$lftp_tree")
done
printf '  job %.2f s   lftp %.2f s   ratio %.3f   job peak memory %d KiB\n' "$job_tree" "$lftp_tree" \
    "$(echo "$job_tree / $lftp_tree" | bc -l)" "$peak_tree"

echo "Job peak memory by file size:"
read -r _ peak_mid < <(job "$work/data/mid.bin" /mid)
verify "$work/data/mid.bin" "$work/root/mid/mid.bin"
printf '  100 MiB: %d KiB   %d MiB: %d KiB\n' "$peak_mid" "$big_mib" "$peak_big"
