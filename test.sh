#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/setup.sh"
cd "$root/build"
# The engine and command-line suites run once more on a throw-away PostgreSQL server; the
# run fails when that server cannot be started.
"$root/tools/with-postgres.sh" ctest --output-on-failure
