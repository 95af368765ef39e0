#!/usr/bin/env bash
# Builds the LZH reader's libFuzzer target with AddressSanitizer and UndefinedBehaviorSanitizer
# in build/fuzz and runs it for the given seconds (default 60), seeded with the committed
# fixtures and, when present, the shared corpus of real archives.
# Usage: tools/fuzz-lzh.sh [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_TO_RUN=${1:-60}
OUT=$ROOT/build/fuzz
mkdir -p "$OUT/corpus" "$OUT/seeds"

flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$ROOT")
sources=("$ROOT"/lzh/*.cpp "$ROOT"/text/cp932.cpp "$ROOT"/tests/lzh/fuzz/lzh_fuzz.cpp)
if [ ! -x "$OUT/lzh_fuzz" ] || [ -n "$(find "${sources[@]}" "$ROOT"/lzh/*.h -newer "$OUT/lzh_fuzz")" ]; then
    clang++-14 "${flags[@]}" "${sources[@]}" -o "$OUT/lzh_fuzz"
fi

find "$ROOT/tests/lzh/data" -type f \( -name '*.lzh' -o -name '*.lzs' \) -exec cp {} "$OUT/seeds/" \;
CORPUS_DIR=$ROOT/../shared/lzh-corpus
if [ -d "$CORPUS_DIR" ]; then
    # Small archives only: big ones slow every run down without reaching new code.
    find "$CORPUS_DIR" -type f -size -64k \( -name '*.lzh' -o -name '*.lzs' -o -name '*.pma' \) |
        while read -r f; do cp "$f" "$OUT/seeds/$(echo "$f" | md5sum | cut -c1-12)-$(basename "$f")"; done
fi

cd "$OUT"
./lzh_fuzz -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -timeout=10 -rss_limit_mb=1024 \
    -print_final_stats=1 corpus seeds
