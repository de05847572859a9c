#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The reader benchmark: writes the 20,000 x 20 workbook with 100,000 distinct strings as .xls
# and as .xlsx (once each), builds bench_reader, and for each format times seven runs
# (median) and measures the peak memory of one.
# Goals: .xls under 0.3 s and 60 MB, .xlsx under 0.5 s and 100 MB.
# usage: bench/reader/run.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build"
runs=${1:-7}

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
flock /tmp/wb-build.lock cmake --build "$build" --target bench_reader -- --quiet
bench="$build/bench/reader/bench_reader"
mkdir -p "$build/bench-reader"

status=0
# format, time goal in ms, memory goal in MB
for goal in "xls 300 60" "xlsx 500 100"; do
    read -r format goal_ms goal_mb <<<"$goal"
    workbook="$build/bench-reader/staff-20000x20.$format"
    if [ ! -f "$workbook" ]; then
        /usr/bin/python3 "$root/bench/reader/make_workbook.py" "$workbook"
    fi
    echo "== .$format ($(($(stat -c %s "$workbook") / 1024)) KB)"
    "$bench" "$workbook"
    times=()
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$bench" "$workbook" >/dev/null
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
    done
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
    peak_kb=$(/usr/bin/time -v "$bench" "$workbook" 2>&1 >/dev/null |
        sed -n 's/.*Maximum resident set size (kbytes): //p')

    echo "process wall time, median of $runs: ${median} ms (goal < $goal_ms ms); runs: ${times[*]}"
    echo "peak memory: $((peak_kb / 1024)) MB (goal < $goal_mb MB)"
    [ "$median" -lt "$goal_ms" ] || { echo "SLOWER THAN THE GOAL"; status=1; }
    [ "$peak_kb" -lt $((goal_mb * 1024)) ] || { echo "MORE MEMORY THAN THE GOAL"; status=1; }
done
exit $status
