#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The import benchmark: wagebook-import on N-person workbooks (N = 1,000, 10,000, 60,000 by
# default), median wall time of RUNS runs and peak memory, beside baselines measured in the
# same run. Columns:
#   import_s      append import into a fresh database (peak_MB: its peak memory)
#   reader_s      the reader alone (bench_reader, every used cell read as text)
#   insert_s      the same rows by a plain prepared-statement loop in one transaction
#   import/(r+i)  import_s / (reader_s + insert_s); goal at 10,000 persons: at most 1.5
#   each_s        the same loop committing each person with its records on its own
#                 (bench_insert --commit-each), for comparison: the import commits in groups
#   import/each   import_s / each_s
#   overw_s       wagebook-import --overwrite into a database whose department 01 already
#                 holds the workbook's N persons and their records (one earlier import)
#   overw/(r+i)   overw_s / (reader_s + insert_s), the undo snapshot of the deleted rows
#                 included; goal at 10,000 persons: at most 2
#   check         after the last append and the last overwrite run the rows per table must
#                 be the workbook's (no old rows left) and PRAGMA integrity_check ok
#
# usage: bench/import/run.sh [N ...]     (RUNS=5 by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/tools/setup.sh"
build="$root/build"
out="$root/bench/out"
runs=${RUNS:-5}
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000 60000)
mkdir -p "$out"

# Runs a command in folder $1, output discarded, and sets seconds and kilobytes to its wall
# time and peak memory. A command that fails ends the benchmark with its error output.
measure() {
    local folder=$1
    shift
    (cd "$folder" && /usr/bin/time -f '%e %M' -o "$out/time.txt" "$@" >/dev/null \
        2>"$out/stderr.txt") || { cat "$out/stderr.txt" >&2; echo "failed: $*" >&2; return 1; }
    read -r seconds kilobytes <"$out/time.txt"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

remove_db() { rm -f "$1" "$1-wal" "$1-shm"; }

fresh_db() {
    remove_db "$1"
    "$build/src/cli/wagebook-initdb" --demo "$1" >/dev/null
}

# Prints ok when database $1 holds exactly the rows of expected.tsv in folder $2 and passes
# integrity_check, else the first table that does not.
check_db() {
    local pair want have
    for pair in P:ryjbxx E:ryxl R:ryrz K:rykh; do
        want=$(grep -c "^${pair%%:*}"$'\t' "$2/expected.tsv" || true)
        have=$(sqlite3 "$1" "select count(*) from ${pair#*:}")
        [ "$want" = "$have" ] || { echo "${pair#*:}:$have!=$want"; return; }
    done
    [ "$(sqlite3 "$1" 'pragma integrity_check')" = ok ] || { echo integrity; return; }
    echo ok
}

# a / b to two places; "-" when b rounds to no time at all.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}'; }

row_format='%-7s %9s %8s %9s %9s %12s %9s %11s %9s %11s %s\n'
# shellcheck disable=SC2059
printf "$row_format" persons import_s peak_MB reader_s insert_s 'import/(r+i)' each_s \
    import/each overw_s 'overw/(r+i)' check
declare -A import_seconds import_ratio overwrite_ratio peak_mb
for n in "${sizes[@]}"; do
    dir="$out/n$n"
    if [ ! -f "$dir/staff.xls" ]; then
        /usr/bin/python3 "$root/bench/import/make_workbook.py" "$n" "$dir"
    fi
    # The overwrite runs have a folder of their own: the import takes its database and code
    # file from the current directory.
    overwrite_dir="$dir/overwrite"
    mkdir -p "$overwrite_dir"
    ln -sf ../staff.xls ../dm.txt "$overwrite_dir/"
    seed="$dir/seed.mdb"
    remove_db "$seed"
    import_times=() reader_times=() insert_times=() each_times=() overwrite_times=() peak=0
    for ((i = 0; i < runs; i++)); do
        fresh_db "$dir/wagebook.mdb"
        measure "$dir" "$build/src/cli/wagebook-import" --dept 01 staff.xls
        import_times+=("$seconds")
        ((kilobytes > peak)) && peak=$kilobytes
        if [ ! -f "$seed" ]; then
            # The first append import is the overwrite runs' starting point; checkpointed so
            # that the main file alone holds it.
            sqlite3 "$dir/wagebook.mdb" 'pragma wal_checkpoint(truncate)' >/dev/null
            cp "$dir/wagebook.mdb" "$seed"
        fi

        measure "$dir" "$build/bench/reader/bench_reader" staff.xls
        reader_times+=("$seconds")

        tmp="$out/insert-baseline.mdb"
        fresh_db "$tmp"
        measure "$dir" "$build/bench/import/bench_insert" expected.tsv "$tmp"
        insert_times+=("$seconds")
        fresh_db "$tmp"
        measure "$dir" "$build/bench/import/bench_insert" --commit-each expected.tsv "$tmp"
        each_times+=("$seconds")

        remove_db "$overwrite_dir/wagebook.mdb"
        cp "$seed" "$overwrite_dir/wagebook.mdb"
        measure "$overwrite_dir" "$build/src/cli/wagebook-import" --overwrite --dept 01 staff.xls
        overwrite_times+=("$seconds")
    done
    imp=$(printf '%s\n' "${import_times[@]}" | median)
    rd=$(printf '%s\n' "${reader_times[@]}" | median)
    ins=$(printf '%s\n' "${insert_times[@]}" | median)
    each=$(printf '%s\n' "${each_times[@]}" | median)
    over=$(printf '%s\n' "${overwrite_times[@]}" | median)
    reader_insert=$(awk -v r="$rd" -v i="$ins" 'BEGIN {print r + i}')
    import_seconds[$n]=$imp
    import_ratio[$n]=$(ratio "$imp" "$reader_insert")
    peak_mb[$n]=$(awk -v k="$peak" 'BEGIN {printf "%.1f", k / 1024}')
    overwrite_ratio[$n]=$(ratio "$over" "$reader_insert")

    # The last runs' databases against the workbook; the seed must hold the same rows, or the
    # overwrite count check would not show that the old rows are gone.
    check=ok
    for pair in append:"$dir/wagebook.mdb" seed:"$seed" overwrite:"$overwrite_dir/wagebook.mdb"; do
        result=$(check_db "${pair#*:}" "$dir")
        [ "$result" = ok ] || { check="${pair%%:*}:$result"; break; }
    done
    # shellcheck disable=SC2059
    printf "$row_format" "$n" "$imp" "${peak_mb[$n]}" \
        "$rd" "$ins" "${import_ratio[$n]}" \
        "$each" "$(ratio "$imp" "$each")" "$over" "${overwrite_ratio[$n]}" "$check"
done
if [ -n "${import_seconds[10000]:-}" ]; then
    awk -v i="${import_ratio[10000]}" -v o="${overwrite_ratio[10000]}" 'BEGIN {
        printf "goals at 10,000 persons: import/(r+i) %.2f <= 1.5 %s, overw/(r+i) %.2f <= 2 %s\n",
            i, i <= 1.5 ? "met" : "MISSED", o, o <= 2 ? "met" : "MISSED" }'
fi
if [ -n "${import_seconds[10000]:-}" ] && [ -n "${import_seconds[60000]:-}" ]; then
    awk -v a="${import_seconds[10000]}" -v b="${import_seconds[60000]}" \
        -v m="${peak_mb[60000]}" 'BEGIN {
        printf "60,000 persons: growth %.2fx time for 6x rows (<= 6.6 %s), peak %.1f MB (<= 150 %s)\n",
            b / a, b / a <= 6.6 ? "met" : "MISSED", m, m <= 150 ? "met" : "MISSED" }'
fi
