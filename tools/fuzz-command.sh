#!/usr/bin/env bash
# Builds the archiver command parser's libFuzzer target with AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz-command and runs it for the given seconds
# (default 60), seeded with commands as the callers write them.
# Usage: tools/fuzz-command.sh [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_TO_RUN=${1:-60}
OUT=$ROOT/build/fuzz-command
mkdir -p "$OUT/corpus" "$OUT/seeds"

flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$ROOT")
sources=("$ROOT"/archiver/command.cpp "$ROOT"/text/cp932.cpp
         "$ROOT"/tests/archiver/fuzz/command_fuzz.cpp)
if [ ! -x "$OUT/command_fuzz" ] ||
   [ -n "$(find "${sources[@]}" "$ROOT"/archiver/command.h "$ROOT"/text/cp932.h -newer "$OUT/command_fuzz")" ]; then
    clang++-14 "${flags[@]}" "${sources[@]}" -o "$OUT/command_fuzz"
fi

printf '%s' 'e -mcwC:\WINDOWS "A:SYS01" "C:\PRODUCT\SYSTEM\"' > "$OUT/seeds/update"
printf '%s' 'e -mcwC:\Documents and Settings\user\WINDOWS "A:UPD1.0" "C:\P\"' > "$OUT/seeds/blanks"
printf '%s' 'e -m -c -w"C:\a b" A:SYS01.LZH C:\WAV' > "$OUT/seeds/switches"
printf 'l "C:\\P\\\x89\xb9\x90\xba\\wave"' > "$OUT/seeds/list"
printf 'C:\\WINDOWS\0A:\0SYS01\0C:\\PRODUCT\\' > "$OUT/seeds/insertions"
printf 'C:\\Documents and Settings\\u\\WINDOWS\0A:\0UPD1.0\0C:\\P\\' > "$OUT/seeds/insertions-blanks"

cd "$OUT"
./command_fuzz -max_total_time="$SECONDS_TO_RUN" -max_len=512 -timeout=10 -rss_limit_mb=1024 \
    -print_final_stats=1 corpus seeds
