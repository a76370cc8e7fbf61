#!/usr/bin/env bash
# A blind user's session, proven with a real screen reader: Orca beside the
# real program and a simulated RK2 on a private X display, with private D-Bus
# and accessibility buses and a speech server that speaks to no sound card.
# drive.py presses the keys and checks what Orca said and what the device got.
# Usage: orca-session.sh [bin dir]   (default build/release/bin)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here/../../.."
bin=$(realpath "${1:-build/release/bin}")
scripts/install-deps.sh test orca

source scripts/xdisplay.sh

export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config \
       XDG_CACHE_HOME=$scratch/cache TMPDIR=$scratch/tmp
mkdir -m 700 -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME/speech-dispatcher" "$XDG_CACHE_HOME" "$TMPDIR"
{ cat /etc/speech-dispatcher/speechd.conf
  printf 'AudioOutputMethod "alsa"\nAudioALSADevice "null"\nDefaultModule dummy\n'; } \
    > "$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf"

unset QT_QPA_PLATFORM QT_LINUX_ACCESSIBILITY_ALWAYS_ON
start_display 1280x800
# timeout leads a process group of its own and passes a signal on to all of
# it: the session's services, those D-Bus started on demand included.
timeout 300 dbus-run-session -- /usr/bin/python3 "$here/drive.py" "$bin" "$scratch" &
pids+=($!)
wait $!
