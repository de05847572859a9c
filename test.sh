#!/usr/bin/env bash
# Installs what is missing, builds, runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/setup.sh"
cd "$root/build"
ctest --output-on-failure
