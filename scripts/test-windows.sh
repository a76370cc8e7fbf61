#!/usr/bin/env bash
# Cross-builds the Windows backend of the platform layer with mingw-w64 and runs
# its tests under wine, headless, in a throw-away wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build windows

build=build/windows
cmake -S tests/windows -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/tests/windows/cmake/mingw-w64-x86_64.cmake"
cmake --build "$build" -j2

# No display: wine must never try to open a window. Mono and Gecko are not
# needed, and their absence must not stop the prefix with a question.
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/korvist-wine.XXXXXX")
export WINEPREFIX
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# One persistent server makes every later start quick. The prefix is set up
# once, before the tests, with its output away from any pipe: the services it
# starts outlive it and would otherwise hold the test runner's output open.
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot --init </dev/null >"$WINEPREFIX/wineboot.log" 2>&1

# The simulated kernel driver for tst_simdriver (sim/windows/README.md); it
# restarts the session, so the persistent server above is replaced by its own.
sim/windows/install-into-prefix.sh "$build/simwindows"
export KORVIST_SIM_DRIVER=1

ctest --test-dir "$build" -j2 --output-on-failure
