#!/usr/bin/env bash
# Pictures of the phone remote's page as a phone shows it: the real program
# against korvist-sim on a private X display (where the computer asks to allow
# the phone), a phone paired in Debian's chromium at 390 x 844, in English and
# in Chinese. Usage: phone-screenshots.sh [bin dir]   (default build/release/bin)
# Needs what the browser test needs: scripts/install-deps.sh phone.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/release/bin}")
out=docs/screenshots
mkdir -p "$out"

source scripts/xdisplay.sh
start_display 1280x800

node tests/e2e/phone/phone-screenshots.mjs "$bin" /usr/bin/chromium "$out"
