# Shared by the upload benchmarks (sourced, not run): the build, a work folder that is removed on exit,
# the generated data, and a local python FTP server on 127.0.0.1 that is stopped on exit.
# The sourcing script sets `repo` before sourcing.

build=${FERRYLO_BENCH_BUILD:-$repo/build/bench}
runs=${FERRYLO_BENCH_RUNS:-5}
user=bench
password=bench
server_pid=
memory_root=

# bench_build TARGET: builds one benchmark driver (Release) after installing what the benchmarks need.
bench_build() {
    "$repo/tools/install-deps.sh" bench >/dev/null
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF >/dev/null
    cmake --build "$build" --target "$1" -j2 >/dev/null
}

bench_cleanup() {
    if [ -n "$server_pid" ]; then
        kill -TERM "$server_pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "${work:-}" "$memory_root"
}

# bench_workspace NAME: sets `work` (data under $work/data) and the server's root $work/root, in memory
# (/dev/shm) where there is one, so the disk's write-back does not decide which client wins.
bench_workspace() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/ferrylo-$1-XXXXXX")
    trap bench_cleanup EXIT
    mkdir -p "$work/data"
    if [ -d /dev/shm ] && [ -w /dev/shm ]; then
        memory_root=$(mktemp -d /dev/shm/ferrylo-root-XXXXXX)
        ln -s "$memory_root" "$work/root"
    else
        mkdir -p "$work/root"
    fi
}

# make_tree FOLDER FILES FOLDERS: FILES random files of 1 B to 64 KiB spread over FOLDERS folders.
make_tree() {
    /usr/bin/python3 - "$@" <<'PY'
import os, random, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
random.seed(files)
for i in range(files):
    folder = os.path.join(root, "folder%03d" % (i % folders))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%05d.bin" % i), "wb") as f:
        f.write(os.urandom(random.randint(1, 64 * 1024)))
PY
}

# make_file PATH MIB
make_file() { head -c $(($2 << 20)) /dev/urandom >"$1"; }

# start_server: the python FTP server on 127.0.0.1 over $work/root; sets `port`.
start_server() {
    sync # dirty pages of the generated data would otherwise be written during the first timed run
    /usr/bin/python3 -u "$repo/tests/support/pyftpd_server.py" --root "$work/root" --user $user \
        --password $password >"$work/port" 2>"$work/server.log" &
    server_pid=$!
    for _ in $(seq 150); do [ -s "$work/port" ] && break; sleep 0.1; done
    port=$(head -n1 "$work/port")
    [ -n "$port" ] || { echo "server did not start"; cat "$work/server.log"; exit 1; }
}

# race OURS THEIRS: runs the two commands alternately, $runs times each, and keeps the best time of
# each side. A command uploads, checks what arrived, clears its part of the server root and prints
# "seconds [peak_kib]". Sets best_ours, best_theirs and peak_ours (the highest peak of our runs).
race() {
    local result seconds peak
    best_ours=999999 best_theirs=999999 peak_ours=0
    for _ in $(seq "$runs"); do
        result=$("$1")
        read -r seconds peak <<<"$result"
        best_ours=$(min "$seconds" "$best_ours") peak_ours=$((peak > peak_ours ? peak : peak_ours))
        result=$("$2")
        best_theirs=$(min "$result" "$best_theirs")
    done
}

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }
min() { echo "if ($1 < $2) $1 else $2" | bc -l; }
verify() { cmp -s "$1" "$2" || { echo "MISMATCH: $1 vs $2" >&2; exit 1; }; }
verify_tree() { diff -r -q "$1" "$2" >/dev/null || { echo "MISMATCH in tree: $1 vs $2" >&2; exit 1; }; }
