#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (AddressSanitizer + UndefinedBehaviorSanitizer) in build/fuzz and
# runs each one for a number of seconds, one after another, on a corpus seeded from fuzz/seeds/<target>/.
# Nothing here touches the network: the reply stream comes from an in-memory channel.
#
# Usage: bench/fuzz.sh [seconds per target, default 60] [target ...]
# Targets: reply_stream passive_reply mask_match myini_file option_file iniinp_file inisearch_file path_file
# A finding leaves its input in build/fuzz/artifacts/<target>/; replay it with the target binary, then keep it
# under tests/fuzz_regressions/inputs/<target>/ so the normal test run replays it for good.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
all_targets=(reply_stream passive_reply mask_match myini_file option_file iniinp_file inisearch_file path_file)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "seconds must be a positive whole number, not '$seconds'" >&2
    exit 2
fi
for tool in clang clang++ cmake; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: tools/install-deps.sh bench installs it" >&2; exit 2; }
done

build="$repo/build/fuzz"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
CC=clang CXX=clang++ cmake -S "$repo" -B "$build" "${generator[@]}" \
    -DFERRYLO_FUZZ=ON -DFERRYLO_TESTS=OFF -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O1 -g" >/dev/null
cmake --build "$build" --target fuzz_targets -j2

# The settings targets write their scratch files here; a crashing run cannot clean up after itself.
export TMPDIR="$build/tmp"
mkdir -p "$TMPDIR"

summary=()
findings=0
for target in "${targets[@]}"; do
    binary="$build/fuzz/fuzz_$target"
    [ -x "$binary" ] || { echo "unknown target: $target" >&2; exit 2; }
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/logs/$target.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    marker="$build/logs/$target.started"
    touch "$marker"

    echo "== $target: ${seconds}s"
    start=$(date +%s.%N)
    status=0
    # -timeout: one input running longer than this counts as a hang. The first corpus folder receives new inputs;
    # the seeds are only read.
    "$binary" "$corpus" "$repo/fuzz/seeds/$target" \
        -max_total_time="$seconds" -timeout=10 -max_len=4096 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1 || status=$?
    end=$(date +%s.%N)

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
    new_artifacts=$(find "$artifacts" -type f -newer "$marker" | tr '\n' ' ')
    found="nothing"
    if [ "$status" -ne 0 ] || [ -n "$new_artifacts" ]; then
        found="FOUND (exit $status) ${new_artifacts:-see $log}"
        findings=$((findings + 1))
        grep -m3 -E 'ERROR|fuzz finding|runtime error|deadly signal|timeout' "$log" || true
    fi
    length=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
    summary+=("$(printf '%-15s %7ss %12s execs %9s exec/s  %s' "$target" "$length" "${runs:-?}" "${rate:-?}" "$found")")
done

echo
printf '%-15s %8s %18s %16s  %s\n' target length total rate finding
printf '%s\n' "${summary[@]}"
[ "$findings" -eq 0 ]
