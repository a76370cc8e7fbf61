#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each from its
# seeds for a share of KORVIST_FUZZ_SECONDS (60 by default, all targets
# together). The first crash fails the run; its input is kept in
# build/fuzzers/crashes. Prints each target's executions and executions per second.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/fuzzers
budget=${KORVIST_FUZZ_SECONDS:-60}

# oscpack's codec from its source, instrumented like our code: Debian's library
# gives the fuzzer no coverage inside it, and AddressSanitizer does not see its reads.
oscpack=$(scripts/oscpack-source.sh | tail -n 1)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVIST_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKORVIST_OSCPACK_SOURCE="$oscpack" >/dev/null
cmake --build "$build" -j2 --target fuzzers

targets=(tests/fuzz/corpus/*/)
seconds=$(( budget / ${#targets[@]} ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/crashes"
for seeds in "${targets[@]}"; do
    name=$(basename "$seeds")
    mkdir -p "$work/$name"
    # New inputs go to a scratch corpus; the committed seeds stay as they are.
    if ! QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$build/tests/fuzz/fuzz_$name" \
            -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$build/crashes/$name-" "$work/$name" "$seeds" >"$work/$name.log" 2>&1; then
        tail -n 60 "$work/$name.log"
        echo "fuzz_$name crashed; the input is in $build/crashes" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$name.log")
    echo "fuzz_$name: $runs executions in $seconds s ($rate exec/s)"
done
