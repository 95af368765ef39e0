#!/usr/bin/env bash
# Builds the LZH writer's round-trip libFuzzer target with AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz-encode and runs it for the given seconds (default
# 60): every packed input must come back unchanged through our reader.
# Usage: tools/fuzz-lzh-encode.sh [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_TO_RUN=${1:-60}
OUT=$ROOT/build/fuzz-encode
mkdir -p "$OUT/corpus" "$OUT/seeds"

flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$ROOT")
sources=("$ROOT"/lzh/*.cpp "$ROOT"/text/cp932.cpp "$ROOT"/tests/lzh/lzh_test_util.cpp
         "$ROOT"/tests/lzh/fuzz/lzh_encode_fuzz.cpp)
if [ ! -x "$OUT/lzh_encode_fuzz" ] ||
   [ -n "$(find "${sources[@]}" "$ROOT"/lzh/*.h "$ROOT"/tests/lzh/*.h -newer "$OUT/lzh_encode_fuzz")" ]; then
    clang++-14 "${flags[@]}" "${sources[@]}" -o "$OUT/lzh_encode_fuzz"
fi

# Seeds: text and binary pieces of the committed fixtures' sources.
find "$ROOT/tests/lzh/data/src" -type f -size -64k -exec cp {} "$OUT/seeds/" \; 2>/dev/null || true

cd "$OUT"
./lzh_encode_fuzz -max_total_time="$SECONDS_TO_RUN" -max_len=32768 -timeout=20 -rss_limit_mb=1024 \
    -print_final_stats=1 corpus seeds
