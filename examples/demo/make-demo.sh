#!/usr/bin/env bash
# Makes the demo's committed files from the texts below: the update's sources (src/), the
# update disks (disk1/, disk2/) that `renovo-disk make` builds from demo.ini, and the installed
# product (product/, meant to live at C:\TOVAKA). Texts are written in UTF-8 here and stored in
# cp932, as the product and the update use them. The disks are committed without Renovo.exe:
# the demo and the end-to-end tests put the freshly built one on disk 1.
# Needs jlha (jlha-utils), ImageMagick's convert, iconv and python3.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TZ=UTC
cd "$HERE"
ROOT=$(cd "$HERE/../.." && pwd)
rm -rf disk1 disk2 product src
mkdir -p src/pictures src/system src/data product

sjis() { iconv -f UTF-8 -t CP932 | sed 's/$/\r/'; }

# pack FOLDER ARCHIVE FILE...: the files of $WORK/src/FOLDER, flat, -lh5-, header level 2.
pack() {
    local from=$WORK/src/$1 out=$2
    shift 2
    (cd "$from" && jlha a2o5q "$WORK/out.lzh" "$@")
    mv "$WORK/out.lzh" "$out"
}
member() {  # member NAME TEXT: a small text file of 40 lines
    mkdir -p "$WORK/src/$(dirname "$1")"
    local i
    for i in $(seq 40); do printf '%s %02d\n' "$2" "$i"; done | sjis >"$WORK/src/$1"
    touch -d '2026-12-01 09:00:00' "$WORK/src/$1"
}

# --- pictures: one behind the wizard, one per page
convert -size 160x120 gradient:'#1d3b6e'-'#7aa6d8' -fill '#ffffff80' \
    -draw 'circle 130,30 130,10' -type palette -colors 64 BMP3:src/pictures/VIEW.BMP
convert -size 32x32 xc:'#f4c542' -fill '#b5651d' -draw 'circle 16,16 16,4' BMP3:src/pictures/START.BMP
convert -size 32x32 xc:'#6fbf73' -fill '#1b5e20' -draw 'rectangle 6,10 26,26' \
    -draw 'rectangle 6,6 14,10' BMP3:src/pictures/DEST.BMP
convert -size 32x32 xc:'#e57373' -fill '#ffffff' -draw 'polygon 6,17 13,25 27,8 24,6 13,19 9,14' \
    BMP3:src/pictures/CONFIRM.BMP

# --- the update's sources; demo.ini says what goes where
member system/TOVAKA.EXE 'TOVAKA program 3.1 (system 1)'
member system/TVMENU.DLL 'TOVAKA menu library 3.1'
cp -p "$WORK"/src/system/* src/system/
printf 'MASTER21 demo data\r\n' >src/MASTER21.DAT
member data/PRICE.DAT '材料単価表 2026年版'
member data/COLOR.DAT '色見本 2026年版'
cp -p "$WORK"/src/data/* src/data/

# --- the disks, made by the tool
bash "$ROOT/tools/build.sh" native i686 >/dev/null
"$ROOT/build/native/disk/renovo-disk" make --program "$ROOT/build/i686/app/Renovo.exe" demo.ini "$WORK/disks"
mv "$WORK/disks/disk1" "$WORK/disks/disk2" .
rm disk1/RENOVO.EXE

# --- the installed product
P=product
mkdir -p "$P/SYSTEM" "$P/DATA" "$P/WAV" "$P/1" "$P/21" "$P/音声"
sjis >"$P/tovaka1.ini" <<'INI'
[SYSTEM]
VERSION=3
MAKER=1
TITLE=ﾃﾞﾓ工房 TOVAKA
[DIR]
WAV=C:\TOVAKA\WAV
MASTER=C:\TOVAKA\
INI
sjis >"$P/tv2menu.ini" <<'INI'
[MENU]
1=見積
2=材料マスタ
INI
member old/TOVAKA.EXE 'TOVAKA program 3.0'
cp "$WORK/src/old/TOVAKA.EXE" "$P/SYSTEM/TOVAKA.EXE"
member old/PRICE.DAT '材料単価表 2025年版'
cp "$WORK/src/old/PRICE.DAT" "$P/DATA/PRICE.DAT"
printf 'placeholder: the voice data is unpacked here\r\n' >"$P/WAV/README.TXT"
# Voice data: small stand-ins for the wave files.
mkdir -p "$WORK/src/voice"
for n in 01 02 03; do
    printf 'RIFF demo voice %s\r\n' "$n" >"$WORK/src/voice/VOICE$n.WAV"
    touch -d '2026-12-01 09:00:00' "$WORK/src/voice/VOICE$n.WAV"
done
pack voice "$P/音声/wave.lzh" VOICE01.WAV VOICE02.WAV VOICE03.WAV
# Material masters: records that the size rule shortens (186 bytes, codes 400400 000107/000111),
# one already in the new layout (185 bytes), and type letters A and B that become Z.
python3 - "$P" <<'PY'
import sys
root = sys.argv[1]
def record(first, second, kind, name, length):
    body = (first + second + " " + kind + " " + name).ljust(length - 4, ".")
    return (body + "1234")[:length]
files = {
    "1/zai001-3.mst": [record("400400", "000107", "A", "SUS304", 186),
                       record("400400", "000111", "B", "SS400", 185),
                       record("400401", "000107", "C", "AL5052", 186)],
    "1/zai002-3.mst": [record("400400", "000111", "B", "SPCC", 186),
                       record("300300", "000001", "A", "C1100", 120)],
    "21/zai101-3.mst": [record("400400", "000107", "A", "SUS430", 186)],
}
for path, lines in files.items():
    with open(f"{root}/{path}", "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))
PY
ls -lR disk1 disk2 "$P"
