#!/usr/bin/env bash
# Installs what is missing, builds, runs every test and checks the Debian package; then the same tests with ASan and
# UBSan, and the suites whose code runs threads (the parallel uploads' lanes, the check and the search) with
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh test

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_suite() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFERRYLO_WERROR=ON -DFERRYLO_STRICT_TESTS=ON "$@"
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_suite build/test
# The Debian package, made from the test build: its files, its metadata and its start are checked, not the optimiser.
tools/package-deb.sh build/test
tests/package/deb_test.sh build/test/ferrylo_*.deb
run_suite build/sanitize -DFERRYLO_SANITIZE=ON

# ThreadSanitizer over the suites whose code runs threads; the rest would only be slower.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFERRYLO_WERROR=ON -DFERRYLO_STRICT_TESTS=ON -DFERRYLO_TSAN=ON
cmake --build build/tsan -j "$jobs" --target copy_rules_test copy_job_test reach_check_test
TSAN_OPTIONS=halt_on_error=1:suppressions=$PWD/tests/tsan.supp \
    ctest --test-dir build/tsan -L threaded --output-on-failure -j "$jobs"
echo "All tests passed (plain, ASan/UBSan, ThreadSanitizer)."
