#!/usr/bin/env bash
# Builds the i686 programs (x86_64 where 32-bit programs cannot run) and runs the material
# master benchmark under a throwaway Wine prefix: conversion of 1000 master files against
# CopyFileA, and the peak working set of a 200 MB master file's conversion. Needs about
# 600 MB free in the Wine temporary folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${RENOVO_BUILD_DIR:-$ROOT/build}

# shellcheck source=tools/wine-env.sh
. "$ROOT/tools/wine-env.sh"
ARCH=$(renovo_run_arch)
bash "$ROOT/tools/build.sh" "$ARCH"
echo "build: $ARCH"
RENOVO_USE_DISPLAY=${RENOVO_USE_DISPLAY:-none}
trap renovo_wine_stop EXIT
renovo_wine_start >/dev/null
wine "$BUILD/$ARCH/bench/masters/renovo_masters_bench.exe"
