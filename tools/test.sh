#!/usr/bin/env bash
# The test command: installs what is missing, builds natively and for i686 and x86_64, and
# runs every test (the Windows ones under a throwaway Wine prefix and Xvfb).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${RENOVO_BUILD_DIR:-$ROOT/build}
start=$(date +%s)

bash "$ROOT/tools/setup.sh"
bash "$ROOT/tools/build.sh" native i686 x86_64

# shellcheck source=tools/wine-env.sh
. "$ROOT/tools/wine-env.sh"
trap renovo_wine_stop EXIT
LOG=$(mktemp /tmp/renovo-ctest.XXXXXX)

status=0
echo "== native"
ctest --test-dir "$BUILD/native" --output-on-failure 2>&1 | tee -a "$LOG" || status=1
renovo_wine_start
for arch in i686 x86_64; do
    if [[ " $RENOVO_WINE_ARCHS " == *" $arch "* ]]; then
        echo "== $arch (Wine)"
        ctest --test-dir "$BUILD/$arch" --output-on-failure 2>&1 | tee -a "$LOG" || status=1
    else
        # Built all the same, warnings as errors; what needs no Wine still runs.
        echo "== $arch: its programs cannot run on this machine; only its import-table checks run"
        ctest --test-dir "$BUILD/$arch" --output-on-failure -R '^renovo_(xp_imports|readback)' 2>&1 |
            tee -a "$LOG" || status=1
    fi
done

# Screenshots the GUI tests kept, as PNG files in out/screenshots/.
mkdir -p "$ROOT/out/screenshots"
for arch in i686 x86_64; do
    for shot in "$BUILD/$arch"/artifacts/*.bmp; do
        [ -e "$shot" ] || continue
        convert "$shot" "$ROOT/out/screenshots/$arch-$(basename "${shot%.bmp}").png" || status=1
    done
done

# Fuzzing of what reads outside input (libFuzzer, ASan + UBSan); a finding fails the run.
for fuzz in lzh:60 manifest:20 command:20; do
    name=${fuzz%%:*}
    seconds=${fuzz#*:}
    echo "== fuzz $name ($seconds s)"
    bash "$ROOT/tools/fuzz-$name.sh" "$seconds" > "$BUILD/fuzz-$name.log" 2>&1 ||
        { tail -40 "$BUILD/fuzz-$name.log"; status=1; }
    grep -E '^(Done|stat::number_of_executed_units)' "$BUILD/fuzz-$name.log" || true
done

# One closing line over all three runs.
passed=0
failed=0
while read -r p f; do
    passed=$((passed + p))
    failed=$((failed + f))
done < <(sed -n 's/.*tests passed, \([0-9]*\) tests\? failed out of \([0-9]*\).*/\2 \1/p' "$LOG" |
         awk '{print $1 - $2, $2}')
rm -f "$LOG"
echo "time: $(( $(date +%s) - start )) s"
echo "ctest: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$status" -eq 0 ]
