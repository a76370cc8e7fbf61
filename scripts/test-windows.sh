#!/usr/bin/env bash
# The Windows side, built here with mingw-w64 and run under wine:
#  1. the Win32 backend of the platform layer and its GoogleTest suite;
#  2. Qt for Windows (built once, then cached) and the program against it,
#     with its platform-neutral QtTest suites;
#  3. the MSI installer: a silent install into a throw-away prefix, the
#     installed program under Xvfb with a notification area, a silent uninstall.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build test windows installer
qt=$(scripts/qt-windows.sh | tail -n 1)

backend=build/windows
cmake -S tests/windows -B "$backend" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/tests/windows/cmake/mingw-w64-x86_64.cmake"
cmake --build "$backend" -j2

program=build/windows-program
# Qt's own toolchain file finds Qt inside the cross build's search roots and
# loads ours for the compilers; the host's Qt gives moc, rcc and lrelease.
cmake -S . -B "$program" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build "$program" -j2
(cd "$program" && cpack >/dev/null)
msi=$(ls "$PWD/$program"/KorvistMixer-*-win64.msi)

# The Linux side of the end-to-end run: Xvfb, trayer and xdotool drive wine.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j2 --target tst_windowsprogram

# Mono and Gecko are not needed, and their absence must not stop the prefix
# with a question. No display until the end-to-end run brings its own.
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
sim/windows/install-into-prefix.sh "$backend/simwindows"
export KORVIST_SIM_DRIVER=1

ctest --test-dir "$backend" -j2 --output-on-failure
ctest --test-dir "$program" -j2 --output-on-failure
# Last: it restarts the session on a display of its own, where the driver
# starts afresh, unplugged.
KORVIST_WINE_MSI=$msi KORVIST_WINE_SIM="$PWD/$program/bin/korvist-sim.exe" \
KORVIST_WINE_SIMCTL="$PWD/$backend/simwindows/korvist-simctl.exe" \
    build/release/tests/e2e/tst_windowsprogram
