#!/usr/bin/env bash
# Installs what is needed, builds everything twice (normally, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in both
# (the phone remote's in Debian's chromium too);
# fuzzes for about a minute (scripts/fuzz.sh); then builds the Windows program,
# its tests and its installer, and runs them under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build test fuzz windows phone

run_suite() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j2
    ctest --test-dir "$dir" -j2 --output-on-failure
}

run_suite build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
    run_suite build/sanitize -DCMAKE_BUILD_TYPE=Debug -DKORVIST_SANITIZE=ON
tests/e2e/orca/orca-session.sh build/release/bin
scripts/fuzz.sh
scripts/test-windows.sh
echo "All tests passed: both builds here, the fuzzers, and the Windows program under wine."
