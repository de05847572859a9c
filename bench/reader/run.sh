#!/usr/bin/env bash
# The reader benchmark: writes the 20,000 x 20 workbook with 100,000 distinct strings (once),
# builds bench_reader, times seven runs (median) and measures peak memory of one.
# Goals: under 0.3 s and under 60 MB. usage: bench/reader/run.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build"
runs=${1:-7}
workbook="$build/bench-reader/staff-20000x20.xls"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
flock /tmp/wb-build.lock cmake --build "$build" --target bench_reader -- --quiet
mkdir -p "$(dirname "$workbook")"
if [ ! -f "$workbook" ]; then
    /usr/bin/python3 "$root/bench/reader/make_workbook.py" "$workbook"
fi
bench="$build/bench/reader/bench_reader"

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

echo "process wall time, median of $runs: ${median} ms (goal < 300 ms); runs: ${times[*]}"
echo "peak memory: $((peak_kb / 1024)) MB (goal < 60 MB)"
status=0
[ "$median" -lt 300 ] || { echo "SLOWER THAN THE GOAL"; status=1; }
[ "$peak_kb" -lt $((60 * 1024)) ] || { echo "MORE MEMORY THAN THE GOAL"; status=1; }
exit $status
