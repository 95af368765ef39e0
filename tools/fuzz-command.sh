#!/usr/bin/env bash
# Builds the archiver command parser's libFuzzer target with AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz-command and runs it for the given seconds
# (default 60), seeded with commands as the callers write them.
# Usage: tools/fuzz-command.sh [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/fuzz-lib.sh
. "$ROOT/tools/fuzz-lib.sh"
SECONDS_TO_RUN=${1:-60}
OUT=$ROOT/build/fuzz-command
mkdir -p "$OUT/corpus" "$OUT/seeds"

renovo_fuzz_build "$OUT/command_fuzz" "$ROOT"/archiver/command.cpp "$ROOT"/text/cp932.cpp \
    "$ROOT"/tests/archiver/fuzz/command_fuzz.cpp -- "$ROOT"/archiver/command.h "$ROOT"/text/cp932.h

printf '%s' 'e -mcwC:\WINDOWS "A:SYS01" "C:\PRODUCT\SYSTEM\"' > "$OUT/seeds/update"
printf '%s' 'e -mcwC:\Documents and Settings\user\WINDOWS "A:UPD1.0" "C:\P\"' > "$OUT/seeds/blanks"
printf '%s' 'e -m -c -w"C:\a b" A:SYS01.LZH C:\WAV' > "$OUT/seeds/switches"
printf 'l "C:\\P\\\x89\xb9\x90\xba\\wave"' > "$OUT/seeds/list"
printf 'C:\\WINDOWS\0A:\0SYS01\0C:\\PRODUCT\\' > "$OUT/seeds/insertions"
printf 'C:\\Documents and Settings\\u\\WINDOWS\0A:\0UPD1.0\0C:\\P\\' > "$OUT/seeds/insertions-blanks"

renovo_fuzz_run "$OUT/command_fuzz" "$SECONDS_TO_RUN" 512 10 corpus seeds
