#!/usr/bin/env bash
# Renders docs/window.png: the window on the demo office after importing the demo workbook
# into department 01, drawn offscreen (set QT_QPA_PLATFORM to draw on a display instead).
# Needs the build (./run.sh makes it and the demo office).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
mkdir -p "$root/docs"
"$root/build/tools/screenshot/wagebook-screenshot" "$root/demo" 01 "${1:-demo.xls}" \
    "$root/docs/window.png"
