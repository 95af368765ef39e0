#!/usr/bin/env bash
# Benchmark of the update run (Win32, under Wine): an update disk of 20 LZH archives and 20
# plain files, about 20 MB, installed by the run (without and with the progress window, the
# backups and the checks before each disk's first change) and, in the same process, extracted
# and copied bare with the archiver and CopyFileA. Prints the times and the ratios.
# Usage: tools/bench-update.sh [checks]   ("checks": the run with and without its checks alone)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${RENOVO_BUILD_DIR:-$ROOT/build}
DATA=$BUILD/bench-update-disk

make_disk() {
    local work
    work=$(mktemp -d)
    mkdir -p "$DATA.tmp"
    for i in $(seq -w 1 20); do
        head -c 196608 /dev/urandom | base64 -w 76 >"$work/text$i.txt"
        seq -f "%08g,400400,000107,A,record of the material master" 1 4800 >"$work/rec$i.mst"
        (cd "$work" && jlha a2o5 "$DATA.tmp/SYS$i.lzh" "text$i.txt" "rec$i.mst" >/dev/null)
        jlha v "$DATA.tmp/SYS$i.lzh" | grep -q -- '-lh5-' || { echo "jlha failed" >&2; exit 1; }
        head -c 524288 /dev/urandom >"$DATA.tmp/FILE$i.DAT"
        rm -f "$work"/*
    done
    rmdir "$work"
    mv "$DATA.tmp" "$DATA"
}

command -v jlha >/dev/null || apt-get install -y jlha-utils >/dev/null
[ -d "$DATA" ] || make_disk
echo "update disk: $(du -sh "$DATA" | cut -f1) packed in $DATA"
# shellcheck source=tools/wine-env.sh
. "$ROOT/tools/wine-env.sh"
ARCH=$(renovo_run_arch)
bash "$ROOT/tools/build.sh" "$ARCH" >/dev/null
echo "build: $ARCH"
trap renovo_wine_stop EXIT
renovo_wine_start >/dev/null  # a display: one round shows the progress window
wine "$BUILD/$ARCH/bench/update/renovo_bench_update.exe" "Z:${DATA//\//\\}" "$@"
