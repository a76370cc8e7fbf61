#!/usr/bin/env bash
# Pictures of the Windows program under wine: its tray menu, the main window,
# the Settings dialog and the RK2 panel on the simulated kernel driver, from the
# real KorvistDriver.exe in a throw-away prefix on Xvfb with a notification area.
# Usage: screenshots-windows.sh [build dir]   (default build/windows-program, as
# scripts/test-windows.sh leaves it, the simulated driver in its sim/windows).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/windows-program}")
simwindows=$build/sim/windows
out=$PWD/docs/screenshots
mkdir -p "$out"

source scripts/xdisplay.sh
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup_more() { wineserver -k >/dev/null 2>&1 || true; }

cmake --install "$build" --prefix "$scratch/install" >/dev/null
program="Z:$(echo "$scratch/install/bin/KorvistDriver.exe" | tr / '\\')"

start_display 1024x768 tray

mkdir -p "$WINEPREFIX"
wineserver -p
wine wineboot --init </dev/null >/dev/null 2>&1
sim/windows/install-into-prefix.sh "$simwindows" >/dev/null
wine "$program" </dev/null >/dev/null 2>&1 &
pids+=($!)

wait_for() { # a command that prints a window id once it exists
    local id=""
    for _ in $(seq 300); do
        id=$("$@" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "timed out waiting for: $*" >&2
    exit 1
}
center() { # prints "x y" of a window's centre
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
}

docked_icon() { # wine's explorer docks the tray icons in trayer's strip at the top
    for candidate in $(xdotool search --class explorer.exe); do
        eval "$(xdotool getwindowgeometry --shell "$candidate")"
        [ "$Y" -lt 32 ] && [ "$WIDTH" -gt 4 ] && { echo "$candidate"; return; }
    done
}
icon=$(wait_for docked_icon)
read -r x y < <(center "$icon")

xdotool mousemove "$x" "$y" click 1
window=$(wait_for xdotool search --onlyvisible --name '^Korvist Driver$')
sleep 1
/usr/bin/import -window "$window" "$out/windows-main.png"

for _ in 1 2 3; do # a click right after a window took the focus can be lost
    xdotool mousemove "$x" "$y" click 3
    sleep 1.5
    xdotool search --onlyvisible --name '^KorvistDriver$' >/dev/null && break
done
/usr/bin/import -window root -crop 360x300+$((x - 330))+0 +repage "$out/windows-tray-menu.png"
xdotool key Escape

wine "$build/bin/korvist-sim.exe" asio-notify --buffer-size 256 --open-window >/dev/null 2>&1
settings=$(wait_for xdotool search --onlyvisible --name '^Settings$')
sleep 1
/usr/bin/import -window "$settings" "$out/windows-settings.png"
xdotool windowunmap "$settings"

wine "$simwindows/korvist-simctl.exe" plug rk2 >/dev/null
panel=$(wait_for xdotool search --onlyvisible --name '^Korvist RK2 - FW: ')
sleep 1
/usr/bin/import -window "$panel" "$out/windows-rk2.png"
ls "$out"/windows-*.png
