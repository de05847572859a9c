#!/usr/bin/env bash
# The import benchmark: wagebook-import on N-person workbooks (N = 1,000, 10,000, 60,000 by
# default), median wall time of RUNS runs, each into a fresh database, and peak memory;
# beside it, in the same run, the two baselines: the reader alone (bench_reader, every used
# cell read as text) and the same rows inserted by a plain prepared-statement loop in one
# transaction (bench_insert). After the last import of each size the database's rows per
# table are checked against the workbook and PRAGMA integrity_check must say ok.
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

# Prints "seconds kilobytes" of one run of a command.
measure() {
    /usr/bin/time -f '%e %M' -o "$out/time.txt" "$@" >/dev/null 2>"$out/stderr.txt" ||
        { cat "$out/stderr.txt" >&2; return 1; }
    cat "$out/time.txt"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

fresh_db() {
    rm -f "$1"/wagebook.mdb "$1"/wagebook.mdb-wal "$1"/wagebook.mdb-shm
    "$build/src/cli/wagebook-initdb" --demo "$1/wagebook.mdb" >/dev/null
}

printf '%-7s %10s %9s %10s %10s %12s %7s\n' persons import_s peak_MB reader_s insert_s \
    'import/(r+i)' check
declare -A import_seconds
for n in "${sizes[@]}"; do
    dir="$out/n$n"
    if [ ! -f "$dir/staff.xls" ]; then
        /usr/bin/python3 "$root/bench/import/make_workbook.py" "$n" "$dir"
    fi
    import_times=() reader_times=() insert_times=() peak=0
    for ((i = 0; i < runs; i++)); do
        fresh_db "$dir"
        read -r s kb < <(cd "$dir" && measure "$build/src/cli/wagebook-import" --dept 01 staff.xls)
        import_times+=("$s")
        ((kb > peak)) && peak=$kb
        read -r s _ < <(measure "$build/bench/reader/bench_reader" "$dir/staff.xls")
        reader_times+=("$s")
        tmp="$out/insert-baseline.mdb"
        rm -f "$tmp"*
        "$build/src/cli/wagebook-initdb" --demo "$tmp" >/dev/null
        read -r s _ < <(measure "$build/bench/import/bench_insert" "$dir/expected.tsv" "$tmp")
        insert_times+=("$s")
    done
    imp=$(printf '%s\n' "${import_times[@]}" | median)
    rd=$(printf '%s\n' "${reader_times[@]}" | median)
    ins=$(printf '%s\n' "${insert_times[@]}" | median)
    import_seconds[$n]=$imp

    # The last import's database against the workbook.
    db="$dir/wagebook.mdb"
    check=ok
    for pair in P:ryjbxx E:ryxl R:ryrz K:rykh; do
        want=$(grep -c "^${pair%%:*}"$'\t' "$dir/expected.tsv" || true)
        have=$(sqlite3 "$db" "select count(*) from ${pair#*:}")
        [ "$want" = "$have" ] || check="${pair#*:}:$have!=$want"
    done
    [ "$(sqlite3 "$db" 'pragma integrity_check')" = ok ] || check="integrity"
    ratio=$(awk -v a="$imp" -v r="$rd" -v i="$ins" 'BEGIN {printf "%.2f", a / (r + i)}')
    printf '%-7s %10s %9.1f %10s %10s %12s %7s\n' "$n" "$imp" "$(awk -v k="$peak" \
        'BEGIN {print k / 1024}')" "$rd" "$ins" "$ratio" "$check"
done
if [ -n "${import_seconds[10000]:-}" ] && [ -n "${import_seconds[60000]:-}" ]; then
    awk -v a="${import_seconds[10000]}" -v b="${import_seconds[60000]}" \
        'BEGIN {printf "growth 10,000 -> 60,000 persons: %.2fx time for 6x rows\n", b / a}'
fi
