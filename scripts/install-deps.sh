#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, skipping
# what is already there. Usage: install-deps.sh build|test|demo|fuzz|windows|qtsource|installer|peers|orca|phone ...
set -euo pipefail

build=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools liboscpack-dev
       qt6-l10n-tools libgl-dev libqrcodegencpp-dev libxcb1-dev libavahi-client-dev pkg-config)
test=(liblo-tools xvfb xauth trayer xdotool x11-utils imagemagick fonts-wqy-microhei dbus-daemon dbus-bin at-spi2-core openbox
      avahi-daemon avahi-utils)
fuzz=(clang-14 libclang-rt-14-dev)
demo=(fonts-wqy-microhei xvfb xauth)
windows=(g++-mingw-w64-x86-64-posix wine wine64 googletest)
qtsource=(dpkg-dev)
installer=(wixl msitools)
peers=(xvfb xauth trayer xdotool x11-utils qjackctl qpwgraph)
orca=(orca speech-dispatcher openbox)
# The phone remote's browser tests: Debian's chromium, and Node.js for puppeteer-core
# (npm comes with some builds of nodejs, and is Debian's own package otherwise);
# the tests' npm packages are installed at the end.
phone=(chromium nodejs)
command -v npm >/dev/null || phone+=(npm)

wanted=()
for set in "$@"; do
    declare -n list="$set"
    wanted+=("${list[@]}")
done

missing=()
for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
install_packages() {
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    # Another installation may hold the package lock for a while: wait for it,
    # and try again a few times when the archive does not answer.
    for attempt in 1 2 3 4 5; do
        "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 update \
            && "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 \
                install -y --no-install-recommends "${missing[@]}" \
            && return 0
        echo "apt-get failed (attempt $attempt), retrying in 30 s" >&2
        sleep 30
    done
    return 1
}
install_packages

# The phone remote's browser tests: puppeteer-core and axe-core as the
# lockfile pins them, never a browser of their own (Debian's chromium is used).
if [[ " $* " == *" phone "* ]]; then
    cd "$(dirname "$0")/../tests/e2e/phone"
    PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
fi
