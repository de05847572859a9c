#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The .deb as an office's desktop gets it: built (cmake --build build --target package),
# checked by lintian (Debian's profile: any error or warning fails, and the package carries
# no overrides to silence one), unpacked with dpkg -x into a temporary root,
# checked for its files, Depends, menu entry, software-centre data and manual pages, and its
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

# lintian with Debian's profile: an error or a warning fails the test.
lintian --profile debian --fail-on error,warning "$deb" >"$tmp/lintian.txt" 2>&1 ||
    fail "lintian:"$'\n'"$(cat "$tmp/lintian.txt")"

# What the package holds, and nothing else (no tests, benchmarks or libraries).
programs=(wagebook wagebook-cells wagebook-import wagebook-initdb wagebook-migrate wagebook-undo
    wagebook-template wagebook-check wagebook-dept)
app=org.wagebook.wagebook
expected="usr/share/applications/$app.desktop
usr/share/metainfo/$app.metainfo.xml
usr/share/doc/wagebook/changelog.gz
usr/share/doc/wagebook/copyright"
for program in "${programs[@]}"; do
    expected+=$'\n'"usr/bin/$program"$'\n'"usr/share/man/man1/$program.1.gz"
done
for size in 128 16 256 32 48 64; do
    expected+=$'\n'"usr/share/icons/hicolor/${size}x$size/apps/wagebook.png"
done
expected+=$'\n'"usr/share/icons/hicolor/scalable/apps/wagebook.svg"
files=$(cd "$tmp/root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$files" = "$(LC_ALL=C sort <<<"$expected")" ] || fail "unexpected files:"$'\n'"$files"

# The menu entry and the software-centre data: valid, and naming each other by the one id.
desktop-file-validate "$tmp/root/usr/share/applications/$app.desktop"
appstreamcli validate --no-net --strict "$tmp/root/usr/share/metainfo/$app.metainfo.xml" \
    >"$tmp/appstream.txt" 2>&1 || fail "appstreamcli validate:"$'\n'"$(cat "$tmp/appstream.txt")"
metainfo=$(cat "$tmp/root/usr/share/metainfo/$app.metainfo.xml")
[[ "$metainfo" == *"<id>$app</id>"* &&
    "$metainfo" == *"<launchable type=\"desktop-id\">$app.desktop</launchable>"* ]] ||
    fail "the AppStream data does not name $app and its desktop entry $app.desktop"

description=$(dpkg-deb -f "$deb" Description)
for program in "${programs[@]}"; do
    [[ "$description" == *" $program"[,\ ]* ]] || fail "Description does not name $program"
done
# The desktop's start opens the office folder used last, or asks for one.
grep -qx 'Exec=wagebook --last-office' "$tmp/root/usr/share/applications/$app.desktop" ||
    fail "the menu entry does not start wagebook --last-office"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6core6 libqt6widgets6 libmdb3 libsqlite3-0 libzip4 libxlsxwriter4 \
    libqt6sql6-sqlite qt6-translations-l10n; do
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
for program in "${programs[@]}"; do
    [ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$program" --version)" = "$program $version" ] ||
        fail "$program --version"
done

# Each manual page as `man` shows it: its summary under 名称 (not help2man's stand-in), the
# usage as 摘要, the program's own Chinese --help, and no complaint from groff.
for program in "${programs[@]}"; do
    page="$tmp/root/usr/share/man/man1/$program.1.gz"
    [[ "$(lexgrog "$page")" == *": \"$program - "* && "$(lexgrog "$page")" != *手册* ]] ||
        fail "$program.1 has no summary: $(lexgrog "$page")"
    shown=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>"$tmp/groff.txt")
    [ ! -s "$tmp/groff.txt" ] || fail "man -l $program.1: $(cat "$tmp/groff.txt")"
    help_line=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$program" --help | grep -e '-h, --help')
    [[ "$shown" == *$'\n摘要\n       '"$program"* && "$shown" == *"${help_line##* }"* ]] ||
        fail "man -l $program.1 lacks the synopsis or the help:"$'\n'"$shown"
done
mkdir "$tmp/office"
"$bin/wagebook-initdb" --demo "$tmp/office/wagebook.mdb"
/usr/bin/python3 "$root/tools/make_demo.py" "$tmp/office" >/dev/null
(cd "$tmp/office" && "$bin/wagebook-import" --dept 01 staff.xls >"$tmp/import.txt" 2>/dev/null) ||
    fail "wagebook-import on the demo office: $(cat "$tmp/import.txt")"
[ "$(tail -1 "$tmp/import.txt")" = "提示: 数据导入成功!" ] || fail "$(tail -1 "$tmp/import.txt")"
# The round trip with the departments: a template, and the demo workbook checked (its one
# error line, 赵丽's 博士, gives exit status 1).
(cd "$tmp/office" && "$bin/wagebook-template" template.xlsx >/dev/null) || fail "wagebook-template"
status=0
(cd "$tmp/office" && "$bin/wagebook-check" staff.xls >/dev/null 2>&1) || status=$?
[ "$status" = 1 ] && [ -f "$tmp/office/staff.检查结果.xlsx" ] || fail "wagebook-check: status $status"
(cd "$tmp/office" && "$bin/wagebook-dept" add 03 后勤部门 >/dev/null && "$bin/wagebook-dept" list) \
    >"$tmp/dept.txt" || fail "wagebook-dept on the demo office"
grep -q $'^03\t后勤部门\t0$' "$tmp/dept.txt" || fail "wagebook-dept list: $(cat "$tmp/dept.txt")"
"$bin/wagebook-migrate" "$root/tests/fixtures/access/DateTestDatabase.mdb" "$tmp/office/migrated.mdb" >/dev/null

echo "Package test passed: $(basename "$deb") ($(du -k "$deb" | cut -f1) KB), Depends: $depends"
