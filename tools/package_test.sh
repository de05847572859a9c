#!/usr/bin/env bash
# The .deb as an office's desktop gets it: built (cmake --build build --target package),
# unpacked with dpkg -x into a temporary root, checked for its files and Depends, and its
# programs run from there on a fresh demo office. Needs a configured build/ (./test.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

rm -f "$build"/wagebook_*.deb
cmake --build "$build" --target package >"$build/package.log" 2>&1 || { cat "$build/package.log"; exit 1; }
deb=$(echo "$build"/wagebook_"$version"_*.deb)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg -x "$deb" "$tmp/root"
fail() { echo "package test: $*" >&2; exit 1; }

# What the package holds, and nothing else (no tests, benchmarks or libraries).
expected="usr/bin/wagebook
usr/bin/wagebook-cells
usr/bin/wagebook-dept
usr/bin/wagebook-import
usr/bin/wagebook-initdb
usr/bin/wagebook-migrate
usr/bin/wagebook-undo
usr/share/applications/wagebook.desktop"
for size in 128 16 256 32 48 64; do
    expected+=$'\n'"usr/share/icons/hicolor/${size}x$size/apps/wagebook.png"
done
expected+=$'\n'"usr/share/icons/hicolor/scalable/apps/wagebook.svg"
files=$(cd "$tmp/root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$files" = "$(LC_ALL=C sort <<<"$expected")" ] || fail "unexpected files:"$'\n'"$files"
desktop-file-validate "$tmp/root/usr/share/applications/wagebook.desktop"
# The desktop's start opens the office folder used last, or asks for one.
grep -qx 'Exec=wagebook --last-office' "$tmp/root/usr/share/applications/wagebook.desktop" ||
    fail "the menu entry does not start wagebook --last-office"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6core6 libqt6widgets6 libmdb3 libsqlite3-0 libzip4 libqt6sql6-sqlite \
    qt6-translations-l10n; do
    [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
[[ "$(dpkg-deb -f "$deb" Recommends)" == *libqt6sql6-psql* ]] ||
    fail "Recommends lacks the PostgreSQL driver (libqt6sql6-psql)"

# The installed programs use the system's Qt (its plugins and translations), so they run
# from the unpacked root as they are.
bin="$tmp/root/usr/bin"
"$bin/wagebook-import" --help >"$tmp/help.txt"
[[ "$(head -1 "$tmp/help.txt")" == "用法: wagebook-import "* ]] ||
    fail "wagebook-import --help: $(head -1 "$tmp/help.txt")"
for program in wagebook wagebook-import wagebook-undo wagebook-cells wagebook-initdb \
    wagebook-migrate wagebook-dept; do
    [ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$program" --version)" = "$program $version" ] ||
        fail "$program --version"
done
mkdir "$tmp/office"
"$bin/wagebook-initdb" --demo "$tmp/office/wagebook.mdb"
/usr/bin/python3 "$root/tools/make_demo.py" "$tmp/office" >/dev/null
(cd "$tmp/office" && "$bin/wagebook-import" --dept 01 staff.xls >"$tmp/import.txt" 2>/dev/null) ||
    fail "wagebook-import on the demo office: $(cat "$tmp/import.txt")"
[ "$(tail -1 "$tmp/import.txt")" = "提示: 数据导入成功!" ] || fail "$(tail -1 "$tmp/import.txt")"
(cd "$tmp/office" && "$bin/wagebook-dept" add 03 后勤部门 >/dev/null && "$bin/wagebook-dept" list) \
    >"$tmp/dept.txt" || fail "wagebook-dept on the demo office"
grep -q $'^03\t后勤部门\t0$' "$tmp/dept.txt" || fail "wagebook-dept list: $(cat "$tmp/dept.txt")"
"$bin/wagebook-migrate" "$root/tests/fixtures/access/DateTestDatabase.mdb" "$tmp/office/migrated.mdb" >/dev/null

echo "Package test passed: $(basename "$deb") ($(du -k "$deb" | cut -f1) KB), Depends: $depends"
