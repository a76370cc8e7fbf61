#!/usr/bin/env bash
# Pictures of the three panels as a user sees them: the real program against
# korvist-sim under Xvfb, with a few settings saved so that knobs and buttons
# show something. Usage: screenshots.sh [bin dir]   (default build/release/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/release/bin}")
out=docs/screenshots
mkdir -p "$out"

source scripts/xdisplay.sh

export XDG_RUNTIME_DIR=$scratch/run XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config TMPDIR=$scratch/tmp
mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME/KorvistDriver" "$XDG_CONFIG_HOME" "$TMPDIR"

start_display 1280x800

cat > "$XDG_DATA_HOME/KorvistDriver/rk1.ini" <<'INI'
[Button]
Mic48VIsChecked=true
MonitorMicIsChecked=true
[Dial]
MicValue=28
HeadphoneValue=-14
OtgToHpValue=-6
INI
cat > "$XDG_DATA_HOME/KorvistDriver/rk2.ini" <<'INI'
[Button]
Mic148VIsChecked=true
MonitorMic1IsChecked=true
Mic220dBIsChecked=true
SpeakerDimIsChecked=true
[Dial]
Mic1Value=30
Mic2Value=12
SpeakerValue=-20
HeadphoneValue=-12
OtgToHpValue=-10
OtgToSPValue=-30
INI
cat > "$XDG_DATA_HOME/KorvistDriver/rs.ini" <<'INI'
[Button]
MonitorMicIsChecked=true
[Dial]
MicValue=20
HeadphoneValue=-18
INI

for model in rk1 rk2 rs; do
    "$bin/korvist-sim" device --model "$model" --firmware 1.0.3 >/dev/null &
    sim=$!
    "$bin/KorvistDriver" 2>/dev/null &
    app=$!
    pids+=("$sim" "$app")
    title="Korvist ${model^^} - FW"
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --name "$title" 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "the $model panel did not appear" >&2; exit 1; }
    sleep 1.5 # a few meter readings
    /usr/bin/import -window "$window" "$out/$model.png"
    kill "$app" "$sim"
    wait "$app" "$sim" 2>/dev/null || true
    echo "$out/$model.png"
done
