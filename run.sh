#!/usr/bin/env bash
# Installs what is missing, builds, then runs the main job on the demo office.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/setup.sh"
echo "Built. The demo import (wagebook-import into department 01 of demo/) comes with the import run."

# The window on the demo office, when there is a display to show it on.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Opening the window on demo/ (the 退出 button closes it)."
    (cd "$root/demo" && "$root/build/src/app/wagebook")
else
    echo "No display here. On a desktop, open the window on the demo office with:"
    echo "    cd demo && ../build/src/app/wagebook"
fi
