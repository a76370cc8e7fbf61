#!/usr/bin/env bash
# KorvistDriver beside two Qt 6 programs of the same kind from Debian, QjackCtl
# and qpwgraph, and beside a bare Qt tray program (bench/bare_tray.cpp), one
# after the other on one private X display with a notification area (Xvfb and
# trayer). For each: the time from its start until its tray icon docks or its
# first window maps, its resident memory 5 s after its start, and its CPU over
# the 60 s of idling that follow. KorvistDriver runs with a simulated RK2
# plugged in, so its panel is built and its timers poll the device.
#
# Usage: bench/peers.sh [build dir]   (default build/release; run from anywhere)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
settle_s=5
idle_s=${KORVIST_IDLE_S:-60}

scripts/install-deps.sh peers

for binary in "$build/bin/KorvistDriver" "$build/bin/korvist-sim" "$build/bench/bare_tray"; do
    [ -x "$binary" ] || { echo "missing $binary: build KorvistDriver, korvist-sim and bare_tray first" >&2; exit 1; }
done

source scripts/xdisplay.sh

# Every program starts as on a fresh account: no settings of its own, no
# audio server, and the simulator's endpoints in a private runtime directory.
export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run XDG_DATA_HOME=$scratch/data \
       XDG_CONFIG_HOME=$scratch/config XDG_CACHE_HOME=$scratch/cache TMPDIR=$scratch/tmp
mkdir -m 700 -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$TMPDIR"
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb

start_display 1280x800 tray

now_ms() { echo $(($(date +%s%N) / 1000000)); }
sleep_ms() { [ "$1" -le 0 ] || sleep "$(awk -v ms="$1" 'BEGIN { printf "%.3f", ms / 1000 }')"; }

# Milliseconds until a window of the process is viewable and larger than a
# few pixels: a docked tray icon (trayer maps it) or a mapped main window.
time_to_first_window() {
    local pid=$1 started=$2
    for _ in $(seq 1500); do
        for window in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)" || continue
            if [ "${WIDTH:-0}" -gt 4 ] && [ "${HEIGHT:-0}" -gt 4 ]; then
                echo $(($(now_ms) - started))
                return 0
            fi
        done
        sleep 0.02
    done
    echo "none"
}

# QjackCtl may ask before it quits: a program that outlives SIGTERM by 5 s is killed.
stop() {
    kill "$1" 2>/dev/null || return 0
    for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# Nanoseconds on a CPU: the scheduler's own count summed over the threads
# (finer than clock ticks), and the process's total in clock ticks, which also
# keeps the time of threads that have ended.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%d", sum }'; }
cpu_ticks_ns() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%d", ($14 + $15) * 1e9 / hz }' "/proc/$1/stat"; }
threads() { ls /proc/"$1"/task | sort | tr '\n' ' '; }

declare -A dock rss cpu
measure() {
    local name=$1; shift
    local started pid
    started=$(now_ms)
    # A session of its own: QjackCtl signals its whole process group when it stops.
    setsid "$@" >"$scratch/$name.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    dock[$name]=$(time_to_first_window "$pid" "$started")
    sleep_ms $((started + settle_s * 1000 - $(now_ms)))
    rss[$name]=$(rss_kb "$pid")
    local before after tasks_before ticks_before
    tasks_before=$(threads "$pid")
    before=$(cpu_ns "$pid")
    ticks_before=$(cpu_ticks_ns "$pid")
    sleep "$idle_s"
    after=$(cpu_ns "$pid")
    if [ "$(threads "$pid")" != "$tasks_before" ]; then
        echo "note: $name started or ended threads while idle; its CPU is counted in clock ticks" >&2
        before=$ticks_before
        after=$(cpu_ticks_ns "$pid")
    fi
    cpu[$name]=$(awk -v ns=$((after - before)) -v s="$idle_s" 'BEGIN { printf "%.3f", ns / (s * 1e9) * 100 }')
    stop "$pid"
    printf '%-14s first window %6s ms   resident %6.1f MB   idle CPU %7s %% of a core\n' \
        "$name" "${dock[$name]}" "$(awk -v kb="${rss[$name]}" 'BEGIN { print kb / 1024 }')" "${cpu[$name]}"
}

echo "display $DISPLAY, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
measure bare_tray "$build/bench/bare_tray"

"$build/bin/korvist-sim" device --model rk2 >"$scratch/sim.log" 2>&1 &
sim=$!
pids+=("$sim")
for _ in $(seq 100); do grep -q '^ready ' "$scratch/sim.log" && break; sleep 0.1; done
sim_before=$(cpu_ns "$sim")
measure KorvistDriver "$build/bin/KorvistDriver"
sim_after=$(cpu_ns "$sim")
grep -q 'Device found with PID: 2' "$scratch/KorvistDriver.log" \
    || echo "warning: KorvistDriver did not report the RK2 (see its log)" >&2
echo "  (korvist-sim, the driver's stand-in, used $(awk -v ns=$((sim_after - sim_before)) \
    -v s=$((settle_s + idle_s)) 'BEGIN { printf "%.3f", ns / (s * 1e9) * 100 }') % of a core meanwhile)"
stop "$sim"

measure QjackCtl qjackctl
measure qpwgraph qpwgraph

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
for peer in QjackCtl qpwgraph; do
    echo "KorvistDriver / $peer: first window $(ratio "${dock[KorvistDriver]}" "${dock[$peer]}")," \
         "resident $(ratio "${rss[KorvistDriver]}" "${rss[$peer]}")," \
         "idle CPU $(ratio "${cpu[KorvistDriver]}" "${cpu[$peer]}")"
done
echo "KorvistDriver above bare_tray: resident +$(awk -v a="${rss[KorvistDriver]}" -v b="${rss[bare_tray]}" \
    'BEGIN { printf "%.1f", (a - b) / 1024 }') MB"
