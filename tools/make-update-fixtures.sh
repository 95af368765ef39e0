#!/usr/bin/env bash
# Makes the small LZH archives of the update-run tests (tests/engine/fixtures/) with jlha.
# Each archive holds one member whose name and text say which archive it came from: its text
# line 64 times over, so that -lh5- really compresses it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/tests/engine/fixtures
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TZ=UTC

# pack ARCHIVE MEMBER TEXT: one member, -lh5-, header level 2.
pack() {
    local dir=$WORK/$1
    mkdir -p "$dir"
    local i
    for i in $(seq 64); do printf '%s\r\n' "$3"; done >"$dir/$2"
    touch -d '2020-01-02 03:04:06' "$dir/$2"
    (cd "$dir" && jlha a2o5 "$1.lzh" "$2" >/dev/null)
    jlha v "$dir/$1.lzh" | grep -q -- '-lh5-' || { echo "jlha failed on $1" >&2; exit 1; }
    cp "$dir/$1.lzh" "$OUT/$1.lzh"
}

mkdir -p "$OUT"
pack ONE one.dat "archive one"
pack TWO two.dat "archive two"
pack THREE three.dat "archive three"
pack START0 start.dat "system 0"
pack START7 start.dat "system 7"
pack START99 start.dat "system 99"
pack WAVE voice.wav "voice data"
# Cut short in the middle of its member's data: the archiver must refuse it.
head -c 50 "$OUT/TWO.lzh" >"$OUT/BROKEN.lzh"
ls -l "$OUT"
