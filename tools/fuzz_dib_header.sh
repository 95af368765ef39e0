#!/usr/bin/env bash
# Fuzzes the bitmap header rules natively with libFuzzer, ASan and UBSan.
# Usage: tools/fuzz_dib_header.sh [seconds]   (default 60)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${RENOVO_BUILD_DIR:-$ROOT/build}/fuzz
mkdir -p "$OUT/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I "$ROOT" "$ROOT/display/dib_header.cpp" "$ROOT/tests/display/dib_header_fuzz.cpp" \
    -o "$OUT/dib_header_fuzz"
# Seed: a 2x2 24-bit picture's headers and a file size that holds it.
python3 - "$OUT/corpus/seed-24bit" <<'PY'
import struct, sys
head = b'BM' + bytes(12)
info = struct.pack('<IiiHHIIiiII', 40, 2, 2, 1, 24, 0, 0, 0, 0, 0, 0)
open(sys.argv[1], 'wb').write(head + info + struct.pack('<I', 70))
PY
"$OUT/dib_header_fuzz" -max_total_time="${1:-60}" -max_len=64 "$OUT/corpus"
