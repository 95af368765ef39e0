#!/usr/bin/env bash
# Makes the LZH test archives in tests/lzh/data with Debian's jlha (package jlha-utils), from
# inputs generated here: header levels 0-2 times methods lh0, lh5, lh6, lh7, and one archive
# per level whose folder and file names are cp932 with 0x5C trail bytes.
# jlha exits 0 even when it fails, so every archive is checked for its members afterwards.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DATA=$ROOT/tests/lzh/data
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export LC_ALL=C

mkdir -p "$DATA/src"
# Text records that repeat with variations (matches near and far), about 40 KB.
awk 'BEGIN { for (i = 0; i < 800; i++)
    printf "%05d,record %d of the fixture,%s,%d\n", i, i * 7919 % 1000,
           (i % 3 ? "alpha beta gamma" : "delta"), i * i }' > "$DATA/src/text.txt"
# Binary bytes from a small linear congruential generator: poorly compressible, 12 KB.
awk 'BEGIN { x = 12345; for (i = 0; i < 12288; i++) { x = (x * 1103515245 + 12345) % 2147483648;
    printf "%c", int(x / 65536) % 256 } }' > "$DATA/src/bin.dat"
: > "$DATA/src/empty.txt"

cp "$DATA/src/text.txt" "$DATA/src/bin.dat" "$DATA/src/empty.txt" "$WORK/"
mkdir -p "$WORK/ソフト"
printf 'dbcs\n' > "$WORK/ソフト/表示.txt"

make_archive() {  # name switches files...
    local name=$1 switches=$2
    shift 2
    rm -f "$WORK/$name"
    (cd "$WORK" && LC_ALL=C.UTF-8 jlha "a$switches" "$name" "$@" >/dev/null 2>&1)
    local listed
    listed=$(cd "$WORK" && LC_ALL=C.UTF-8 jlha l "$name" 2>/dev/null | grep -c -e txt -e dat || true)
    if [ "$listed" -ne $# ]; then
        echo "make-lzh-fixtures: jlha failed on $name" >&2
        exit 1
    fi
    cp "$WORK/$name" "$DATA/$name"
}

for level in 0 1 2; do
    for method in z o5 o6 o7; do
        make_archive "l${level}_${method}.lzh" "$level$method" text.txt bin.dat empty.txt
    done
    make_archive "l${level}_dbcs.lzh" "${level}o5y" "ソフト/表示.txt"
done
echo "make-lzh-fixtures: $(ls "$DATA"/*.lzh | wc -l) archives in $DATA"
