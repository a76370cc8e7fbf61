#!/usr/bin/env bash
# Builds the panel and the simulator, plugs in a simulated interface and runs
# the panel against it. Usage: demo.sh [rk1|rk2|rs]   (default rk2)
set -euo pipefail
cd "$(dirname "$0")/.."
model=${1:-rk2}
scripts/install-deps.sh build demo

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j2 --target KorvistDriver korvist-sim

bin=build/release/bin
"$bin/korvist-sim" device --model "$model" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running the panel headless; its log shows what it does." >&2
    export QT_QPA_PLATFORM=offscreen
fi
"$bin/KorvistDriver"
