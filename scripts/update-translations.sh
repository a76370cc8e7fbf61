#!/usr/bin/env bash
# Refreshes the translation sources from every tr() text under src/.
# New texts arrive unfinished: translate them in the .ts files (Qt Linguist or
# by hand) before committing; the build ships finished translations only.
set -euo pipefail
cd "$(dirname "$0")/.."
/usr/lib/qt6/bin/lupdate -no-obsolete -locations none src \
    -ts src/resources/translations/KorvistDriver_en_US.ts src/resources/translations/KorvistDriver_zh_CN.ts
