#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the three programs the demo uses (./test.sh builds the
# rest), then runs the main job: the demo office in demo/ (database, code file dm.txt,
# workbook staff.xls) gets the workbook imported into department 01. Running it again
# appends the same persons again.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/setup.sh" wagebook-initdb wagebook-import wagebook
bin="$root/build/src/cli"
demo="$root/demo"

if [ ! -f "$demo/wagebook.mdb" ]; then
    mkdir -p "$demo"
    "$bin/wagebook-initdb" --demo "$demo/wagebook.mdb"
    /usr/bin/python3 "$root/tools/make_demo.py" "$demo"
    echo "Created the demo office in demo/ (wagebook.mdb, dm.txt, staff.xls)."
fi

cd "$demo"
echo "Importing demo/staff.xls into department 01 of demo/wagebook.mdb:"
status=0
"$bin/wagebook-import" --dept 01 staff.xls || status=$?
echo
echo "Persons in demo/wagebook.mdb now: $(sqlite3 wagebook.mdb 'select count(*) from ryjbxx')"

# The window on the demo office, when there is a display to show it on.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Opening the window on demo/ (the 退出 button closes it)."
    "$root/build/src/app/wagebook"
else
    echo "No display here. On a desktop, open the window on the demo office with:"
    echo "    cd demo && ../build/src/app/wagebook"
fi

exit $status
