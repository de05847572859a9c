#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders docs/window.png: the window on a fresh demo office in a folder named demo, after
# importing the demo workbook into department 01, drawn offscreen (set QT_QPA_PLATFORM to
# use a display instead). Needs the build (./run.sh or ./test.sh makes it).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/demo"
"$root/build/src/cli/wagebook-initdb" --demo "$work/demo/wagebook.mdb" >/dev/null
/usr/bin/python3 "$root/tools/make_demo.py" "$work/demo"
mkdir -p "$root/docs"
# The window remembers the office it opened: in a settings folder of its own, not the user's.
XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
    "$root/build/tools/screenshot/wagebook-screenshot" "$@" "$work/demo" 01 staff.xls \
    "$root/docs/window.png"
