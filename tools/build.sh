#!/usr/bin/env bash
# Builds Renovo natively (pure modules) and for both Windows architectures.
# Usage: tools/build.sh [native|i686|x86_64]...   (default: all three)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${RENOVO_BUILD_DIR:-$ROOT/build}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(native i686 x86_64)

for t in "${targets[@]}"; do
    args=(-S "$ROOT" -B "$BUILD/$t" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel)
    if [ "$t" != native ]; then
        args+=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$t.cmake")
    fi
    cmake "${args[@]}" >/dev/null
    cmake --build "$BUILD/$t" -j "$(nproc)"
done
