#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the readers' fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for SECONDS (default 60): xls_fuzz
# from the committed seeds in fuzz/corpus, xlsx_fuzz from those in fuzz/corpus-xlsx, the
# decryptors' xls_decrypt_fuzz and package_decrypt_fuzz from fuzz/corpus-xls-decrypt and
# fuzz/corpus-package-decrypt (or only the targets named). Exits non-zero when one finds a crash, a hang or undefined behaviour;
# the input that did it is left in build-fuzz/.
# usage: tools/fuzz.sh [SECONDS [TARGET ...]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(xls_fuzz xlsx_fuzz xls_decrypt_fuzz package_decrypt_fuzz)
build="$root/build-fuzz"

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DWB_FUZZ=ON \
        -DCMAKE_CXX_FLAGS="-O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=all" \
        >/dev/null
fi
flock /tmp/wb-build.lock cmake --build "$build" --target "${targets[@]}" -- --quiet

for target in "${targets[@]}"; do
    # Standard encryption hashes 50,000 times for every input: slow under the sanitizers.
    timeout=10
    case "$target" in
    xls_fuzz) seeds="$root/fuzz/corpus" dict="$root/fuzz/xls.dict" corpus="$build/fuzz-corpus" ;;
    xlsx_fuzz) seeds="$root/fuzz/corpus-xlsx" dict="$root/fuzz/xlsx.dict" corpus="$build/fuzz-corpus-xlsx" ;;
    xls_decrypt_fuzz) seeds="$root/fuzz/corpus-xls-decrypt" dict="$root/fuzz/xls.dict" corpus="$build/fuzz-corpus-xls-decrypt" ;;
    package_decrypt_fuzz) seeds="$root/fuzz/corpus-package-decrypt" dict="$root/fuzz/package.dict" corpus="$build/fuzz-corpus-package-decrypt" timeout=60 ;;
    *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
    esac
    mkdir -p "$corpus"
    echo "== $target, $seconds s"
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 \
        -dict="$dict" -artifact_prefix="$build/$target-" -print_final_stats=1 \
        "$corpus" "$seeds"
done
