#!/usr/bin/env bash
# Soak: one copy job of 20,000 files (1 B to 64 KiB in 200 folders) through the main window to a
# local python FTP server, beside a job of 200 files of the same kind. Checks that every file
# arrived byte for byte, that the process holds as many open descriptors after the job as before,
# and that the big job's peak memory stays within 10 MiB of the small one's.
# Usage: bench/soak_job.sh [files (default 20000)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${FERRYLO_BENCH_BUILD:-$repo/build/bench}
files=${1:-20000}

"$repo/tools/install-deps.sh" bench >/dev/null
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF >/dev/null
cmake --build "$build" --target ferrylo_copy_bench -j2 >/dev/null
driver=$build/copy/ferrylo_copy_bench

work=$(mktemp -d "${TMPDIR:-/tmp}/ferrylo-soak-XXXXXX")
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

make_tree() { # FOLDER COUNT
    /usr/bin/python3 - "$1" "$2" <<'PY'
import os, random, sys
root, count = sys.argv[1], int(sys.argv[2])
random.seed(count)
for i in range(count):
    folder = os.path.join(root, "folder%03d" % (i % 200))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%05d.bin" % i), "wb") as f:
        f.write(os.urandom(random.randint(1, 64 * 1024)))
PY
}
echo "Generating 200 and $files files in $work ..."
mkdir -p "$work/root" "$work/small/tree" "$work/large/tree"
make_tree "$work/small/tree" 200
make_tree "$work/large/tree" "$files"
sync

user=soak password=soak
/usr/bin/python3 -u "$repo/tests/support/pyftpd_server.py" --root "$work/root" --user $user --password $password \
    >"$work/port" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 150); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -n1 "$work/port")
[ -n "$port" ] || { echo "server did not start"; cat "$work/server.log"; exit 1; }

run_job() { # NAME -> the driver's report line
    "$driver" 127.0.0.1 "$port" $user $password "$work/$1/tree" "/$1" 2>"$work/$1.err" || {
        cat "$work/$1.err" >&2
        exit 1
    }
}
field() { sed -n "s/.*$2=\([0-9.]*\).*/\1/p" <<<"$1"; }

small=$(run_job small)
large=$(run_job large)
echo "small job: $small"
echo "large job: $large"

status=0
for name in small large; do
    if diff -r -q "$work/$name/tree" "$work/root/$name/tree" >/dev/null; then
        echo "$name: every file arrived byte for byte ($(find "$work/root/$name/tree" -type f | wc -l) files)"
    else
        echo "$name: the server's copy differs from the source"
        status=1
    fi
done
for report in "$small" "$large"; do
    if [ "$(field "$report" fds_before)" != "$(field "$report" fds_after)" ]; then
        echo "open descriptors changed during a job: $report"
        status=1
    fi
done
growth=$(($(field "$large" peak_kib) - $(field "$small" peak_kib)))
echo "peak memory: $(field "$small" peak_kib) KiB for 200 files, $(field "$large" peak_kib) KiB for $files files (+$growth KiB)"
if [ "$growth" -gt $((10 * 1024)) ]; then
    echo "peak memory grew by more than 10 MiB"
    status=1
fi
exit $status
