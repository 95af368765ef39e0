#!/usr/bin/env bash
# Builds the i686 programs (x86_64 where 32-bit programs cannot run) and runs the answering
# benchmark under a throwaway Wine prefix: a 300 MB master conversion (both rules) with the
# run on a thread of its own and on the window's thread, the longest wait of the main window
# for an answer to a sent message (probed runs) and the conversion's time (runs without the
# probe), medians of 5 rounds.
# Needs about 700 MB free in the Wine temporary folder.
# Usage: tools/bench-answering.sh [runs of each kind]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${RENOVO_BUILD_DIR:-$ROOT/build}

# shellcheck source=tools/wine-env.sh
. "$ROOT/tools/wine-env.sh"
ARCH=$(renovo_run_arch)
bash "$ROOT/tools/build.sh" "$ARCH"
echo "build: $ARCH"
trap renovo_wine_stop EXIT
renovo_wine_start >/dev/null
wine "$BUILD/$ARCH/bench/masters/renovo_answering_bench.exe" "" "${1:-5}"
