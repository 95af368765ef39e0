#!/usr/bin/env bash
# Builds the manifest reader's libFuzzer target with AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz and runs it for the given seconds (default 60) over
# whole "info.txt" files, seeded with the demo update disk's manifest.
# Usage: tools/fuzz-manifest.sh [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/fuzz-lib.sh
. "$ROOT/tools/fuzz-lib.sh"
SECONDS_TO_RUN=${1:-60}
OUT=$ROOT/build/fuzz
mkdir -p "$OUT/manifest-corpus" "$OUT/manifest-seeds"

renovo_fuzz_build "$OUT/manifest_fuzz" "$ROOT"/engine/manifest.cpp "$ROOT"/engine/program_folder.cpp \
    "$ROOT"/text/cp932.cpp "$ROOT"/text/line_reader.cpp "$ROOT"/tests/engine/fuzz/manifest_fuzz.cpp \
    -- "$ROOT"/engine/*.h "$ROOT"/text/*.h

cp "$ROOT/examples/demo/disk1/info.txt" "$OUT/manifest-seeds/demo-info.txt"

renovo_fuzz_run "$OUT/manifest_fuzz" "$SECONDS_TO_RUN" 16384 10 manifest-corpus manifest-seeds
