# Sourced by the scripts that show programs on a private X display. It makes
# $scratch, a directory that goes when the script ends, together with the
# background processes the script adds to pids (and whatever the script's
# own cleanup_more function ends, when it defines one).
scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvist-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    if declare -F cleanup_more >/dev/null; then cleanup_more; fi
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# start_display WIDTHxHEIGHT [tray]: Xvfb on a display it picks itself (without
# resets: a program starting as the last client leaves would be dropped), with
# trayer's notification area at the top when asked. Exports DISPLAY.
start_display() {
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
    [ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    DISPLAY=:$(head -n1 "$scratch/display")
    export DISPLAY
    [ "${2:-}" = tray ] || return 0
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true --transparent false \
        >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do xdotool search --onlyvisible --name '^panel$' >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "trayer did not start" >&2
    exit 1
}
