# Sourced by the test and demo scripts: a throwaway Wine prefix, its own Xvfb display and
# the Japanese locale, started before any test and stopped afterwards. Only what these
# functions started is stopped.

renovo_free_display() {
    local n
    for n in $(seq 91 199); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"
            return 0
        fi
    done
    return 1
}

# Some kernels run no 32-bit Linux programs (their 32-bit emulation is switched off): Wine's
# 32-bit loader cannot start there, and only 64-bit Windows programs run, through wine64.
renovo_runs_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The Windows builds that can run here, for the scripts to choose from: RENOVO_WINE_ARCHS.
# Where 32-bit programs cannot start, `wine` is wine64 for this environment's commands.
renovo_choose_loader() {
    if renovo_runs_32bit; then
        RENOVO_WINE_ARCHS="i686 x86_64"
    else
        RENOVO_WINE_ARCHS="x86_64"
        mkdir -p "$RENOVO_RUN_DIR/bin"
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$RENOVO_RUN_DIR/bin/wine"
        chmod +x "$RENOVO_RUN_DIR/bin/wine"
        export PATH="$RENOVO_RUN_DIR/bin:$PATH" WINELOADER=/usr/lib/wine/wine64
        echo "wine: this machine runs no 32-bit programs; only the x86_64 build can run" >&2
    fi
    export RENOVO_WINE_ARCHS
}

# The build the benchmarks and the demo run: the shipped i686 one where it can run.
renovo_run_arch() {
    if renovo_runs_32bit; then echo i686; else echo x86_64; fi
}

renovo_wine_start() {
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
    RENOVO_RUN_DIR=$(mktemp -d "${TMPDIR:-/tmp}/renovo-run.XXXXXX")
    export RENOVO_RUN_DIR
    export WINEPREFIX="$RENOVO_RUN_DIR/prefix"
    renovo_choose_loader

    if [ -z "${RENOVO_USE_DISPLAY:-}" ]; then
        local n
        n=$(renovo_free_display)
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        RENOVO_XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
    fi

    echo "wine: creating prefix $WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
    # Without a window manager every window close stalls unless Wine manages none of them.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    local view
    for view in 32 64; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f "/reg:$view" >/dev/null
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            /v 'MS UI Gothic' /d IPAPGothic /f "/reg:$view" >/dev/null
    done
    # Drive P: is a plain folder of our own for the drive-letter tests.
    mkdir -p "$RENOVO_RUN_DIR/drive-p"
    ln -sfn "$RENOVO_RUN_DIR/drive-p" "$WINEPREFIX/dosdevices/p:"
    # Drive A: is a floppy drive over a folder of our own; the update-disk tests swap disks by
    # renaming folders into its place.
    mkdir -p "$RENOVO_RUN_DIR/floppy"
    ln -sfn "$RENOVO_RUN_DIR/floppy" "$WINEPREFIX/dosdevices/a:"
    wine reg add 'HKLM\Software\Wine\Drives' /v a: /d floppy /f /reg:64 >/dev/null
    # Drive Q: is a CD-ROM drive over a folder of our own, for updates on several CDs.
    mkdir -p "$RENOVO_RUN_DIR/cdrom"
    ln -sfn "$RENOVO_RUN_DIR/cdrom" "$WINEPREFIX/dosdevices/q:"
    wine reg add 'HKLM\Software\Wine\Drives' /v q: /d cdrom /f /reg:64 >/dev/null
    wineserver -k
    wineserver -w

    # Start the server and its services here, not inside a test: services started by the
    # first test would inherit ctest's output pipe and stall every test after it.
    wineserver -p
    wine wineboot >/dev/null 2>&1
}

renovo_wine_stop() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${RENOVO_XVFB_PID:-}" ]; then
        kill "$RENOVO_XVFB_PID" >/dev/null 2>&1 || true
        wait "$RENOVO_XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "${RENOVO_RUN_DIR:-}" ] && [ -d "$RENOVO_RUN_DIR" ]; then
        rm -rf "$RENOVO_RUN_DIR"
    fi
}
