#!/usr/bin/env bash
# Builds the LZH writer's round-trip libFuzzer target with AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz-encode and runs it for the given seconds (default
# 60): every packed input must come back unchanged through our reader.
# Usage: tools/fuzz-lzh-encode.sh [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/fuzz-lib.sh
. "$ROOT/tools/fuzz-lib.sh"
SECONDS_TO_RUN=${1:-60}
OUT=$ROOT/build/fuzz-encode
mkdir -p "$OUT/corpus" "$OUT/seeds"

renovo_fuzz_build "$OUT/lzh_encode_fuzz" "$ROOT"/lzh/*.cpp "$ROOT"/text/cp932.cpp \
    "$ROOT"/tests/lzh/lzh_test_util.cpp "$ROOT"/tests/lzh/fuzz/lzh_encode_fuzz.cpp -- \
    "$ROOT"/lzh/*.h "$ROOT"/tests/lzh/*.h

# Seeds: text and binary pieces of the committed fixtures' sources.
find "$ROOT/tests/lzh/data/src" -type f -size -64k -exec cp {} "$OUT/seeds/" \; 2>/dev/null || true

renovo_fuzz_run "$OUT/lzh_encode_fuzz" "$SECONDS_TO_RUN" 32768 20 corpus seeds
