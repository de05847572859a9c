#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by run.sh and test.sh: installs the Debian packages that are missing, configures
# build/ and builds into it.
#
#   tools/setup.sh TARGET...   what the programs need to build and run (the demo's share),
#                              then only the targets named, with the build's progress
#   tools/setup.sh             also what the tests, benchmarks, fixture generators, fuzzing
#                              and the package test need, then everything
set -euo pipefail

# To build and run the programs, and to make the demo office (tools/make_demo.py, xlwt);
# help2man and the zh_CN locale's source (locales) make the programs' manual pages.
program_packages=(
    cmake ninja-build g++ pkg-config help2man locales
    qt6-base-dev libqt6sql6-sqlite qt6-translations-l10n
    libqt6sql6-psql libpq-dev
    sqlite3 libsqlite3-dev
    libzip-dev libexpat1-dev nettle-dev libxlsxwriter-dev
    mdbtools-dev
    python3-xlwt
    fonts-wqy-microhei
)
# To test, benchmark, fuzz, regenerate fixtures and check the package.
test_packages=(
    libgtest-dev
    postgresql
    python3-xlrd python3-openpyxl libreoffice-calc-nogui
    mdbtools
    clang libclang-rt-14-dev
    dpkg-dev fakeroot desktop-file-utils librsvg2-bin lintian appstream man-db
    time
)

targets=("$@")
packages=("${program_packages[@]}")
((${#targets[@]})) || packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
# A build folder configured before GoogleTest was installed is configured again for the tests.
if [ ! -f "$build/build.ninja" ] ||
    { ((${#targets[@]} == 0)) && grep -q '^WB_TESTS:INTERNAL=OFF' "$build/CMakeCache.txt"; }; then
    echo "Configuring build/ ..."
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if ((${#targets[@]})); then
    echo "Building ${targets[*]} in build/ ..."
    cmake --build "$build" --target "${targets[@]}"
else
    # ninja says "no work to do" even with --quiet; a build with nothing to do stays silent.
    cmake --build "$build" -- --quiet | { grep -v '^ninja: no work to do' || true; }
fi
