#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages that are missing, then
# configures and builds into build/. Quiet when everything is already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libqt6sql6-sqlite qt6-translations-l10n
    libgtest-dev
    sqlite3 libsqlite3-dev
    libzip-dev libexpat1-dev nettle-dev
    python3-xlwt python3-xlrd python3-openpyxl libreoffice-calc-nogui
    fonts-wqy-microhei
    clang libclang-rt-14-dev
    time
)

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
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# ninja says "no work to do" even with --quiet; a build with nothing to do stays silent.
cmake --build "$build" -- --quiet | { grep -v '^ninja: no work to do' || true; }
