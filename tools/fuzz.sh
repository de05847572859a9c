#!/usr/bin/env bash
# Builds the .xls reader's fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs it for SECONDS (default 60), starting
# from the committed seeds in fuzz/corpus. Exits non-zero when it finds a crash, a hang or
# undefined behaviour; the input that did it is left in build-fuzz/.
# usage: tools/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build-fuzz"

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DWB_FUZZ=ON \
        -DCMAKE_CXX_FLAGS="-O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=all" \
        >/dev/null
fi
flock /tmp/wb-build.lock cmake --build "$build" --target xls_fuzz -- --quiet

corpus="$build/fuzz-corpus"
mkdir -p "$corpus"
"$build/fuzz/xls_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$root/fuzz/xls.dict" -artifact_prefix="$build/" -print_final_stats=1 \
    "$corpus" "$root/fuzz/corpus"
