#!/usr/bin/env bash
# Upload benchmark against a local python FTP server, passive mode: one big file and a tree of 2,000 small files,
# with our client and with curl; prints both times, the ratio and our peak memory, then our peak memory for a
# 100 MiB and a 1 GiB file. Data and server root live in a temporary folder that is removed at the end.
# Usage: bench/ftp_upload.sh [big-file-MiB (default 1024)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${FERRYLO_BENCH_BUILD:-$repo/build/bench}
big_mib=${1:-1024}

"$repo/tools/install-deps.sh" bench >/dev/null

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF >/dev/null
cmake --build "$build" --target ferrylo_ftp_bench -j2 >/dev/null
driver=$build/ftp/ferrylo_ftp_bench

work=$(mktemp -d "${TMPDIR:-/tmp}/ferrylo-bench-XXXXXX")
server_pid=
cleanup() {
    if [ -n "$server_pid" ]; then
        kill -TERM "$server_pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root" "$work/data/tree"
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
sync # dirty pages of the generated data would otherwise be flushed during the first timed run

user=bench password=bench
/usr/bin/python3 -u "$repo/tests/support/pyftpd_server.py" --root "$work/root" --user $user --password $password \
    >"$work/port" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 150); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -n1 "$work/port")
[ -n "$port" ] || { echo "server did not start"; cat "$work/server.log"; exit 1; }

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

# ours LOCAL REMOTE -> prints "seconds peak_kib"
ours() {
    /usr/bin/time -v -o "$work/time.txt" "$driver" 127.0.0.1 "$port" $user $password passive "$1" "$2" >"$work/ours.txt"
    local seconds peak
    seconds=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/ours.txt")
    peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
    echo "$seconds $peak"
}

# theirs LOCAL REMOTE -> prints seconds; one curl process, one connection, folders made as needed.
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

verify() { cmp -s "$1" "$2" || { echo "MISMATCH: $1 vs $2"; exit 1; }; }

echo
min() { echo "if ($1 < $2) $1 else $2" | bc -l; }

# Each client runs twice, alternating, and the better time counts: the server writes to the same disk, so
# one run can be slowed by the other's write-back.
echo "Big file (${big_mib} MiB), passive, best of two runs each:"
ours_big=999999 curl_big=999999 peak_big=0
for _ in 1 2; do
    read -r seconds peak < <(ours "$work/data/big.bin" ours)
    verify "$work/data/big.bin" "$work/root/ours/big.bin"
    rm -rf "$work/root/ours" && sync
    ours_big=$(min "$seconds" "$ours_big") peak_big=$((peak > peak_big ? peak : peak_big))
    seconds=$(theirs "$work/data/big.bin" curl)
    verify "$work/data/big.bin" "$work/root/curl/big.bin"
    rm -rf "$work/root/curl" && sync
    curl_big=$(min "$seconds" "$curl_big")
done
printf '  ours %.2f s   curl %.2f s   ratio %.3f   our peak memory %d KiB\n' "$ours_big" "$curl_big" \
    "$(echo "$ours_big / $curl_big" | bc -l)" "$peak_big"

echo "Tree of 2,000 files (1-64 KiB, 50 folders), passive, best of two runs each:"
ours_tree=999999 curl_tree=999999 peak_tree=0
for _ in 1 2; do
    read -r seconds peak < <(ours "$work/data/tree" ours)
    diff -r -q "$work/data/tree" "$work/root/ours" >/dev/null || { echo "MISMATCH in tree (ours)"; exit 1; }
    rm -rf "$work/root/ours" && sync
    ours_tree=$(min "$seconds" "$ours_tree") peak_tree=$((peak > peak_tree ? peak : peak_tree))
    seconds=$(theirs "$work/data/tree" curl)
    diff -r -q "$work/data/tree" "$work/root/curl" >/dev/null || { echo "MISMATCH in tree (curl)"; exit 1; }
    rm -rf "$work/root/curl" && sync
    curl_tree=$(min "$seconds" "$curl_tree")
done
printf '  ours %.2f s   curl %.2f s   ratio %.3f   our peak memory %d KiB\n' "$ours_tree" "$curl_tree" \
    "$(echo "$ours_tree / $curl_tree" | bc -l)" "$peak_tree"

echo "Peak memory by file size (ours):"
read -r _ peak_mid < <(ours "$work/data/mid.bin" mid)
rm -rf "$work/root/mid"
printf '  100 MiB: %d KiB   %d MiB: %d KiB\n' "$peak_mid" "$big_mib" "$peak_big"
