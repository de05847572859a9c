#!/usr/bin/env bash
# Installs what is missing, builds, then runs the main job on the demo office.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/setup.sh"
echo "Built. The demo import (wagebook-import into department 01 of demo/) comes with the import run."
