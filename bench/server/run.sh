#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The shared server against the embedded file, in one run: wagebook-import appending an
# N-person workbook (10,000 by default, bench/import/make_workbook.py) into department 01 of
# a fresh SQLite file and of a fresh database on a local PostgreSQL server (127.0.0.1, TCP),
# median wall time of RUNS runs (3). Goal at 10,000 persons: server/sqlite at most 2.5. After
# the runs both databases must hold the same number of rows per table.
#
# The server is the one WB_TEST_POSTGRES_URL names (its user must be allowed to create
# databases), else a throw-away cluster started by tools/with-postgres.sh.
#
# usage: bench/server/run.sh [N]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${WB_TEST_POSTGRES_URL:-}" ]; then
    "$root/tools/setup.sh"
    exec "$root/tools/with-postgres.sh" "$0" "$@"
fi
build="$root/build"
n=${1:-10000}
runs=${RUNS:-3}
dir="$root/bench/out/server-n$n"
mkdir -p "$dir/sqlite" "$dir/server"
if [ ! -f "$dir/staff.xls" ]; then
    /usr/bin/python3 "$root/bench/import/make_workbook.py" "$n" "$dir"
fi
for side in sqlite server; do
    ln -sf ../staff.xls ../dm.txt "$dir/$side/"
done
base=${WB_TEST_POSTGRES_URL%/*}
server_url="$base/wb_bench"

seconds_of() { # folder, command...: wall seconds of the command run there
    local folder=$1
    shift
    (cd "$folder" && /usr/bin/time -f '%e' -o "$dir/time.txt" "$@" >/dev/null 2>"$dir/stderr.txt") ||
        { cat "$dir/stderr.txt" >&2; echo "failed: $*" >&2; exit 1; }
    cat "$dir/time.txt"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
counts_sqlite() { for t in ryjbxx ryxl ryrz rykh; do sqlite3 "$dir/sqlite/wagebook.mdb" "select count(*) from $t"; done | paste -sd' '; }
counts_server() { for t in ryjbxx ryxl ryrz rykh; do psql "$server_url" -qAtc "select count(*) from $t"; done | paste -sd' '; }

sqlite_times=() server_times=()
for ((i = 0; i < runs; i++)); do
    rm -f "$dir/sqlite/wagebook.mdb"{,-wal,-shm}
    "$build/src/cli/wagebook-initdb" --demo "$dir/sqlite/wagebook.mdb" >/dev/null
    sqlite_times+=("$(seconds_of "$dir/sqlite" "$build/src/cli/wagebook-import" --dept 01 staff.xls)")

    psql "$WB_TEST_POSTGRES_URL" -qc "DROP DATABASE IF EXISTS wb_bench WITH (FORCE)" -c "CREATE DATABASE wb_bench"
    "$build/src/cli/wagebook-initdb" --demo "$server_url" >/dev/null
    printf '[database]\nurl=%s\n' "$server_url" >"$dir/server/wagebook.ini"
    server_times+=("$(seconds_of "$dir/server" "$build/src/cli/wagebook-import" --dept 01 staff.xls)")
done
lite=$(printf '%s\n' "${sqlite_times[@]}" | median)
srv=$(printf '%s\n' "${server_times[@]}" | median)
check=ok
[ "$(counts_sqlite)" = "$(counts_server)" ] || check="rows differ: sqlite $(counts_sqlite), server $(counts_server)"
statements=$(psql "$server_url" -qAtc "select (select count(*) from ryjbxx) + (select count(*) from ryxl) * 2 + (select count(*) from ryrz) + (select count(*) from rykh)")
printf '%-8s %9s %9s %14s %s\n' persons sqlite_s server_s server/sqlite check
printf '%-8s %9s %9s %14s %s\n' "$n" "$lite" "$srv" "$(awk -v a="$srv" -v b="$lite" 'BEGIN {printf "%.2f", a / b}')" "$check"
awk -v a="$srv" -v b="$lite" -v n="$n" -v s="$statements" 'BEGIN {
    printf "statements on the server: about %d (%.0f per person), %.0f us each with its savepoint, the row commits included\n", s, s / n, a / s * 1e6
    if (n == 10000) printf "goal at 10,000 persons: server/sqlite %.2f <= 2.5 %s\n", a / b, a / b <= 2.5 ? "met" : "MISSED" }'
psql "$WB_TEST_POSTGRES_URL" -qc "DROP DATABASE IF EXISTS wb_bench WITH (FORCE)"
