#!/usr/bin/env bash
# The Windows side, built here with mingw-w64 and run under wine: Qt for
# Windows (built once, then cached), the program with its platform-neutral
# QtTest suites, the Win32 backend's GoogleTest suite with the simulated kernel
# driver, and the MSI installer end to end in a throw-away prefix: installed,
# upgraded, the installed program under Xvfb with a notification area, removed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build test windows installer phone
qt=$(scripts/qt-windows.sh | tail -n 1)
oscpack=$(scripts/oscpack-source.sh | tail -n 1)
qrcodegen=$(scripts/qrcodegen-source.sh | tail -n 1)

# Qt's own toolchain file finds Qt inside the cross build's search roots and
# loads ours for the compilers; the host's Qt gives moc, rcc and lrelease.
# Debian ships no oscpack or qrcodegen for mingw: they are compiled from Debian's source.
build=build/windows-program
configure() {
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVIST_WINDOWS_TESTS=ON \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DKORVIST_OSCPACK_SOURCE="$oscpack" \
        -DKORVIST_QRCODEGEN_SOURCE="$qrcodegen" "$@" >/dev/null
}
# An older release of the same tree for the upgrade test (only the version
# resource and the tray menu's entry are built again), then this one.
older=1.0
configure -DKORVIST_VERSION=$older
cmake --build "$build" -j2 --target KorvistDriver KorvistDriverConsole
(cd "$build" && cpack >/dev/null)
configure -UKORVIST_VERSION
cmake --build "$build" -j2
(cd "$build" && cpack >/dev/null)
version=$(sed -n 's/^KORVIST_VERSION:STRING=//p' "$build/CMakeCache.txt")

# The Linux side of the end-to-end run: Xvfb, trayer and xdotool drive wine.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j2 --target tst_windowsinstaller tst_windowsprogram

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
sim/windows/install-into-prefix.sh "$build/sim/windows"
KORVIST_SIM_DRIVER=1 ctest --test-dir "$build" -j2 --output-on-failure
# Last: each restarts the session on a display of its own, where the driver
# starts afresh, unplugged. The program's run reaches it from Linux's chromium
# too, as a phone would (tests/e2e/phone/wine-phone.mjs).
export KORVIST_WINE_MSI="$PWD/$build/KorvistMixer-$version-win64.msi" \
    KORVIST_WINE_OLDER_MSI="$PWD/$build/KorvistMixer-$older-win64.msi" \
    KORVIST_WINE_SIM="$PWD/$build/bin/korvist-sim.exe" KORVIST_WINE_SIMCTL="$PWD/$build/sim/windows/korvist-simctl.exe"
build/release/tests/e2e/tst_windowsinstaller
build/release/tests/e2e/tst_windowsprogram
