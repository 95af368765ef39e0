#!/usr/bin/env bash
# Shows that every file whose rename puts new content in place was flushed to the disk first:
# runs the demo update (from a fixed folder, /VERYSILENT) and then /RESTORE under Wine with
# its relay trace of CreateFileW, FlushFileBuffers, CloseHandle and MoveFileExW, and checks for
# each rename of a work file (rpl*.tmp, temp.mst, a kept copy's .part) that a handle opened on
# that very file was flushed before it. The voice folder lies on a file system of its own (a
# tmpfs, when this runs as root), so that the restore copies the old voice file back rather
# than linking it: the restore's copies are traced too.
# Usage: tools/trace-flush.sh [RENOVO_EXE]   (default: the build Wine can run here)
# Prints one line per rename and "N of N renames of new content flushed first"; exit 1 when
# one was not. Run by the test command too, inside its Wine prefix (RENOVO_RUN_DIR set).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEMO=$ROOT/examples/demo

# shellcheck source=tools/wine-env.sh
. "$ROOT/tools/wine-env.sh"
EXE=${1:-${RENOVO_BUILD_DIR:-$ROOT/build}/$(renovo_run_arch)/app/Renovo.exe}
[ -f "$EXE" ] || { echo "no $EXE: build it first (tools/build.sh)" >&2; exit 1; }
own_prefix=""
if [ -z "${RENOVO_RUN_DIR:-}" ] || [ ! -d "${WINEPREFIX:-/nonexistent}" ]; then
    own_prefix=yes
fi
work=""
voice_mount=""
cleanup() {
    if [ -n "$voice_mount" ]; then
        [ -n "$own_prefix" ] && wineserver -k >/dev/null 2>&1
        umount "$voice_mount" 2>/dev/null || umount -l "$voice_mount" 2>/dev/null || true
    fi
    rm -f "$WINEPREFIX/dosdevices/v:"
    if [ -n "$own_prefix" ]; then
        renovo_wine_stop
    elif [ -n "$work" ]; then
        rm -rf "$work"
    fi
}
trap cleanup EXIT
[ -n "$own_prefix" ] && renovo_wine_start >/dev/null 2>&1
work=$(mktemp -d "$RENOVO_RUN_DIR/trace.XXXXXX")

C=$WINEPREFIX/drive_c
product=$C/$(basename "$work")
share=$work/share
cp -r "$DEMO/product" "$product"
mkdir -p "$share"
cp "$DEMO"/disk1/* "$DEMO"/disk2/* "$share/"
cp "$EXE" "$share/RENOVO.EXE"

# Drive V: holds the voice folder, on a file system of its own where this may mount one.
mkdir -p "$work/voice"
if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=4m tmpfs "$work/voice" 2>/dev/null; then
    voice_mount=$work/voice
    echo "voice folder V:\\WAV on a tmpfs of its own: the restore copies it back"
else
    echo "voice folder V:\\WAV on the same file system (not root): the restore links, copies nothing"
fi
mkdir -p "$work/voice/WAV"
printf 'old voice 1\r\n' >"$work/voice/WAV/VOICE01.WAV"
ln -sfn "$work/voice" "$WINEPREFIX/dosdevices/v:"
sed -i -e 's/^WAV=.*/WAV=V:\\WAV\r/' \
    -e "s/^MASTER=.*/MASTER=C:\\\\$(basename "$product")\\\\\r/" "$product/tovaka1.ini"

wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /f /d \
    'kernel32.CreateFileW;kernel32.FlushFileBuffers;kernel32.CloseHandle;kernel32.MoveFileExW' \
    >/dev/null
trace=$work/trace.txt
run() {
    (cd "$share" && WINEDEBUG=+relay wine RENOVO.EXE "$@" 2>>"$trace" </dev/null) || {
        echo "Renovo.exe $* ended with $?" >&2
        exit 1
    }
}
folder="C:\\$(basename "$product")"
run /VERYSILENT "/DIR=$folder"
run /RESTORE "$folder" /VERYSILENT
rm -rf "$product"
wine reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null

# Handles map to the path they were opened on until they are closed; a rename of a work file
# counts as flushed when a handle on it was flushed before.
awk '
    function quoted(s,    a) { return match(s, /"[^"]*"/) ? substr(s, RSTART + 1, RLENGTH - 2) : "" }
    function tid(s) { return substr(s, 1, index(s, ":") - 1) }
    /:Call KERNEL32\.CreateFileW\(/ { opening[tid($0)] = quoted($0); next }
    /:Ret  KERNEL32\.CreateFileW\(\)/ {
        match($0, /retval=[0-9a-f]+/); h = substr($0, RSTART + 7, RLENGTH - 7)
        path[h] = opening[tid($0)]; next
    }
    /:Call KERNEL32\.FlushFileBuffers\(/ {
        match($0, /\([0-9a-f]+\)/); h = substr($0, RSTART + 1, RLENGTH - 2)
        if (h in path) flushed[path[h]] = 1
        next
    }
    /:Call KERNEL32\.CloseHandle\(/ {
        match($0, /\([0-9a-f]+\)/); delete path[substr($0, RSTART + 1, RLENGTH - 2)]; next
    }
    /:Call KERNEL32\.MoveFileExW\(/ {
        s = $0; from = quoted(s); sub(/"[^"]*"/, "", s); to = quoted(s)
        if (from ~ /\\rpl[0-9a-f]+\.tmp$/ || from ~ /\\temp\.mst$/ || from ~ /\.part$/) {
            ++renames
            if (from in flushed) { ++ok; state = "flushed first" } else { state = "NOT FLUSHED" }
            printf "  %-13s %s -> %s\n", state, from, to
            delete flushed[from]
        } else if (from ~ /\.~RENOVO$/) {
            printf "  %-13s %s -> %s\n", "a second name", from, to
        }
    }
    END {
        printf "%d of %d renames of new content flushed first\n", ok, renames
        exit (renames > 0 && ok == renames) ? 0 : 1
    }' "$trace"
