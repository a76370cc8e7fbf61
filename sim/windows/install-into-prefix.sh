#!/usr/bin/env bash
# Installs the simulated driver into the wine prefix $WINEPREFIX, whose
# persistent wine server (wineserver -p) is running and stays running: the
# driver's state lives in that session. Leaves the device unplugged.
#   sim/windows/install-into-prefix.sh BUILD_DIR
# BUILD_DIR holds korvist-sim.sys, korvist-sim.inf and korvist-simctl.exe.
set -euo pipefail
dir=${1:?usage: $0 BUILD_DIR}
: "${WINEPREFIX:?set WINEPREFIX to the prefix to install into}"
for file in korvist-sim.sys korvist-sim.inf korvist-simctl.exe; do
    [[ -f $dir/$file ]] || { echo "$0: $dir/$file is missing" >&2; exit 1; }
done

# A driver installed in the session that initialised the prefix stays
# stopped: restart the session first. The services wineboot starts outlive
# it; their output must not hold a caller's pipe open.
wineserver -k >/dev/null 2>&1 || true
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1

windir=$(winepath -w "$dir")
wine "$windir\\korvist-simctl.exe" install "$windir\\korvist-sim.inf" </dev/null
