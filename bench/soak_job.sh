#!/usr/bin/env bash
# Soak: one copy job of 20,000 files (1 B to 64 KiB in 200 folders) through the main window to a local
# python FTP server, beside a job of 200 files of the same kind. Checks that every file arrived byte for
# byte, that the process holds as many open descriptors after each job as before it, and that the big
# job's peak memory stays within 10 MiB of the small one's. Exits non-zero when a check fails.
# Usage: bench/soak_job.sh [files (default 20000)]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
files=${1:-20000}

bench_build ferrylo_copy_bench
bench_workspace soak
echo "Generating 200 and $files files in $work ..."
make_tree "$work/data/small/tree" 200 200
make_tree "$work/data/large/tree" "$files" 200
start_server

run_job() { # NAME -> the driver's report line
    "$driver" 127.0.0.1 "$port" $user $password "$work/data/$1/tree" "/$1" 2>"$work/$1.err" || {
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
    verify_tree "$work/data/$name/tree" "$work/root/$name/tree"
    echo "$name: every file arrived byte for byte ($(find "$work/root/$name/tree" -type f | wc -l) files)"
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
