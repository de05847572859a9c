#!/usr/bin/env bash
# Installs what is missing, builds, then runs the main job: the demo office in demo/
# (database, code file dm.txt, workbook staff.xls) gets the workbook imported into
# department 01. Running it again appends the same persons again.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/setup.sh"
bin="$root/build/src/cli"
demo="$root/demo"

if [ ! -f "$demo/wagebook.mdb" ]; then
    mkdir -p "$demo"
    "$bin/wagebook-initdb" --demo "$demo/wagebook.mdb"
    /usr/bin/python3 "$root/tools/make_demo.py" "$demo"
    echo "Created the demo office in demo/ (wagebook.mdb, dm.txt, staff.xls)."
fi

cd "$demo"
status=0
"$bin/wagebook-import" --dept 01 staff.xls || status=$?
echo
echo "Persons in demo/wagebook.mdb now: $(sqlite3 wagebook.mdb 'select count(*) from ryjbxx')"
exit $status
