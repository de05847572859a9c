#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window benchmark: one import of an N-person workbook (20,000 by default) through the
# window, driven offscreen by bench_window (start-up, department 01 clicked, the workbook
# chosen, Import clicked), against wagebook-import on the same files, in this one run. Each
# program imports into a fresh demo database of its own; both times are whole-process wall
# times. Goal: window_s at most 1.5 x cli_s. Both databases must end up with N persons.
#
# usage: bench/window/run.sh [N]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build"
n=${1:-20000}
dir="$root/bench/out/window-n$n"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target bench_window wagebook-import wagebook-initdb -- --quiet
if [ ! -f "$dir/staff.xls" ]; then
    /usr/bin/python3 "$root/bench/import/make_workbook.py" "$n" "$dir"
fi
mkdir -p "$dir/cli" "$dir/window"
ln -sf ../staff.xls ../dm.txt "$dir/cli/"
ln -sf ../staff.xls ../dm.txt "$dir/window/"

fresh_db() {
    rm -f "$1" "$1-wal" "$1-shm"
    "$build/src/cli/wagebook-initdb" --demo "$1" >/dev/null
}

# Wall time of a command run in folder $1, in seconds to the millisecond; its output goes
# to $out/NAME.log.
seconds() {
    local folder=$1 name=$2
    shift 2
    local start end
    start=$(date +%s%N)
    (cd "$folder" && "$@") >"$dir/$name.log" 2>&1 || {
        cat "$dir/$name.log" >&2
        echo "failed: $*" >&2
        return 1
    }
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN {printf "%.3f", ns / 1e9}'
}

fresh_db "$dir/cli/wagebook.mdb"
cli_s=$(seconds "$dir/cli" cli "$build/src/cli/wagebook-import" --dept 01 staff.xls)
fresh_db "$dir/window/wagebook.mdb"
# The window remembers the office it opened: in a settings folder of its own, not the user's.
window_s=$(seconds "$dir/window" window env XDG_CONFIG_HOME="$dir/config" \
    QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" \
    "$build/bench/window/bench_window" . 01 staff.xls)

grep -v '^window_import_s' "$dir/window.log" | sed 's/^/window: /'
for side in cli window; do
    stored=$(sqlite3 "$dir/$side/wagebook.mdb" 'select count(*) from ryjbxx')
    [ "$stored" = "$n" ] || { echo "$side stored $stored persons, not $n" >&2; exit 1; }
done
awk -v n="$n" -v c="$cli_s" -v w="$window_s" 'BEGIN {
    r = w / c
    printf "%d persons: cli_s %.3f  window_s %.3f  window/cli %.2f (goal <= 1.5: %s)\n",
        n, c, w, r, r <= 1.5 ? "met" : "MISSED"
    exit r <= 1.5 ? 0 : 1
}'
