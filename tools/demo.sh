#!/usr/bin/env bash
# The demo: installs what is missing, builds Renovo, makes a private Wine prefix with a floppy
# drive A: holding the demo's update disk 1, installs the demo product at C:\TOVAKA with its
# Uninstall entry, and starts A:\RENOVO.EXE.
#   With a display: you walk the wizard yourself; press Enter here to put disk 2 into A:.
#   With no display, or with --auto: it runs under Xvfb, a driver walks the wizard, saves a
#   screenshot of every page and message in out/demo/, and the changes are printed.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${RENOVO_BUILD_DIR:-$ROOT/build}
DEMO=$ROOT/examples/demo
OUT=$ROOT/out/demo

auto=0
[ "${1:-}" = "--auto" ] && auto=1
[ -z "${DISPLAY:-}" ] && auto=1

bash "$ROOT/tools/setup.sh"
# shellcheck source=tools/wine-env.sh
. "$ROOT/tools/wine-env.sh"
ARCH=$(renovo_run_arch)  # the shipped i686 build, where this machine can run it
bash "$ROOT/tools/build.sh" "$ARCH"
if [ "$auto" -eq 0 ]; then
    export RENOVO_USE_DISPLAY=1
else
    unset RENOVO_USE_DISPLAY
fi
trap renovo_wine_stop EXIT
trap 'exit 130' INT TERM  # so that Ctrl+C also stops Wine and removes the prefix
renovo_wine_start

# Drive A: (a floppy drive over $RENOVO_RUN_DIR/floppy) gets update disk 1 and the program.
FLOPPY=$RENOVO_RUN_DIR/floppy
insert_disk() {
    find "$FLOPPY" -mindepth 1 -delete
    cp -r "$DEMO/$1/." "$FLOPPY/"
}
insert_disk disk1
cp "$BUILD/$ARCH/app/Renovo.exe" "$FLOPPY/RENOVO.EXE"

# The installed product and its Uninstall entry, in the registry view the program reads.
PRODUCT=$WINEPREFIX/drive_c/TOVAKA
cp -r "$DEMO/product" "$PRODUCT"
view=32
[ "$ARCH" = x86_64 ] && view=64
wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TOVAKA Demo' \
    /v UninstallString /d 'C:\WINDOWS\UNINST.EXE -fC:\TOVAKA\SETUP.LOG' /f "/reg:$view" >/dev/null
BEFORE=$RENOVO_RUN_DIR/before
cp -r "$PRODUCT" "$BEFORE"

if [ "$auto" -eq 1 ]; then
    rm -rf "$OUT"
    mkdir -p "$OUT"
    echo "demo: driving Renovo under Xvfb (display $DISPLAY)"
    wine "$BUILD/$ARCH/tests/e2e/renovo_demo_driver.exe" "Z:${OUT//\//\\}" \
        "Z:${DEMO//\//\\}\\disk2" | iconv -f CP932 -t UTF-8
    for shot in "$OUT"/*.bmp; do
        convert "$shot" "${shot%.bmp}.png" && rm "$shot"
    done
    echo "demo: screenshots in $OUT:"
    ls "$OUT"
else
    echo "demo: Renovo runs on your display. When it asks for disk 2, press Enter here."
    wine 'A:\RENOVO.EXE' &
    renovo=$!
    while kill -0 "$renovo" 2>/dev/null; do
        if read -r -t 1 _; then
            insert_disk disk2
            echo "demo: disk 2 is in drive A: now; answer OK."
        elif [ $? -le 128 ]; then
            sleep 1  # no terminal to read from: only wait
        fi
    done
    wait "$renovo" || true
fi

echo "demo: what changed in C:\\TOVAKA"
# RENOVO.BAK holds the update's backup set (what Renovo.exe /RESTORE puts back).
(cd "$PRODUCT" && find . -path ./RENOVO.BAK -prune -o -type f -print | sort) | while read -r f; do
    if [ ! -e "$BEFORE/$f" ]; then
        echo "  new      ${f#./} ($(stat -c %s "$PRODUCT/$f") bytes)"
    elif ! cmp -s "$BEFORE/$f" "$PRODUCT/$f"; then
        echo "  changed  ${f#./} ($(stat -c %s "$BEFORE/$f") -> $(stat -c %s "$PRODUCT/$f") bytes)"
    fi
done
echo "demo: settings file tovaka1.ini (cp932 shown as UTF-8):"
diff <(iconv -f CP932 -t UTF-8 "$BEFORE/tovaka1.ini") \
     <(iconv -f CP932 -t UTF-8 "$PRODUCT/tovaka1.ini") | sed 's/^/  /' || true
