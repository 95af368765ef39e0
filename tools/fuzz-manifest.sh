#!/usr/bin/env bash
# Builds the manifest reader's libFuzzer target with AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz and runs it for the given seconds (default 60) over
# whole "info.txt" files, seeded with the demo update disk's manifest.
# Usage: tools/fuzz-manifest.sh [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_TO_RUN=${1:-60}
OUT=$ROOT/build/fuzz
mkdir -p "$OUT/manifest-corpus" "$OUT/manifest-seeds"

flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$ROOT")
sources=("$ROOT"/engine/manifest.cpp "$ROOT"/engine/program_folder.cpp "$ROOT"/text/cp932.cpp
         "$ROOT"/text/line_reader.cpp "$ROOT"/tests/engine/fuzz/manifest_fuzz.cpp)
headers=("$ROOT"/engine/*.h "$ROOT"/text/*.h)
if [ ! -x "$OUT/manifest_fuzz" ] ||
   [ -n "$(find "${sources[@]}" "${headers[@]}" -newer "$OUT/manifest_fuzz")" ]; then
    clang++-14 "${flags[@]}" "${sources[@]}" -o "$OUT/manifest_fuzz"
fi

cp "$ROOT/examples/demo/disk1/info.txt" "$OUT/manifest-seeds/demo-info.txt"

cd "$OUT"
./manifest_fuzz -max_total_time="$SECONDS_TO_RUN" -max_len=16384 -timeout=10 -rss_limit_mb=1024 \
    -print_final_stats=1 manifest-corpus manifest-seeds
