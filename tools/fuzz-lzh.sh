#!/usr/bin/env bash
# Builds the LZH reader's libFuzzer target with AddressSanitizer and UndefinedBehaviorSanitizer
# in build/fuzz and runs it for the given seconds (default 60), seeded with the committed
# fixtures and, when present, the shared corpus of real archives.
# Usage: tools/fuzz-lzh.sh [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/fuzz-lib.sh
. "$ROOT/tools/fuzz-lib.sh"
SECONDS_TO_RUN=${1:-60}
OUT=$ROOT/build/fuzz
mkdir -p "$OUT/corpus" "$OUT/seeds"

renovo_fuzz_build "$OUT/lzh_fuzz" "$ROOT"/lzh/*.cpp "$ROOT"/text/cp932.cpp \
    "$ROOT"/tests/lzh/fuzz/lzh_fuzz.cpp -- "$ROOT"/lzh/*.h

find "$ROOT/tests/lzh/data" -type f \( -name '*.lzh' -o -name '*.lzs' \) -exec cp {} "$OUT/seeds/" \;
CORPUS_DIR=$ROOT/../shared/lzh-corpus
if [ -d "$CORPUS_DIR" ]; then
    # Small archives only: big ones slow every run down without reaching new code.
    find "$CORPUS_DIR" -type f -size -64k \( -name '*.lzh' -o -name '*.lzs' -o -name '*.pma' \) |
        while read -r f; do cp "$f" "$OUT/seeds/$(echo "$f" | md5sum | cut -c1-12)-$(basename "$f")"; done
fi

renovo_fuzz_run "$OUT/lzh_fuzz" "$SECONDS_TO_RUN" 65536 10 corpus seeds
