#!/usr/bin/env bash
# Packs the LZH fixtures' contents and the bench input of tools/bench-lzh.sh with our writer,
# every method, header level and effort, and checks that lhasa, bsdtar, jlha and our own reader
# each extract every archive byte for byte. Prints one line per archive; exit 1 on a mismatch.
# Usage: tools/check-lzh-encode.sh [--quick]   (--quick: the fixtures only)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/build/check-lzh-encode
PACK=$ROOT/build/native/bench/lzh/lzh_pack
OURS=$ROOT/build/native/bench/lzh/lzh_bench
BENCH_INPUT=$ROOT/build/bench-lzh/input
bash "$ROOT/tools/build.sh" native >/dev/null
export LC_ALL=C TZ=UTC
rm -rf "$OUT" && mkdir -p "$OUT"

# The fixtures' contents, and apart from them their folder and file with cp932 names (0x5C
# trail bytes included), as lhasa extracts them.
FIXTURES=$OUT/fixtures
DBCS=$OUT/dbcs
mkdir -p "$FIXTURES" "$DBCS"
cp "$ROOT"/tests/lzh/data/src/* "$FIXTURES/"
(cd "$DBCS" && lhasa xq "$ROOT/tests/lzh/data/l2_dbcs.lzh")

failures=0
same() {  # same TOOL FOLDER: the extracted folder against the packed one
    if diff -r "$src" "$2" >/dev/null; then
        return 0
    fi
    echo "  $1 differs:" >&2
    diff -r "$src" "$2" 2>&1 | head -5 >&2 || true
    failures=$((failures + 1))
}
# Our reader writes every member under its bare name: compare with the files' bare names.
same_flat() {
    local f
    while IFS= read -r -d '' f; do
        cmp -s "$f" "$1/$(basename "$f")" || { echo "  our reader differs on $f" >&2; failures=$((failures + 1)); return 0; }
    done < <(find "$src" -type f -print0)
}

# jlha turns cp932 names into the locale's: it runs in a UTF-8 locale and its names go back.
to_cp932_names() {
    python3 - "$1" <<'PY'
import os, sys
for top, dirs, files in os.walk(sys.argv[1].encode(), topdown=False):
    for n in dirs + files:
        os.rename(os.path.join(top, n), os.path.join(top, n.decode("utf-8").encode("cp932")))
PY
}

check() {  # check SRC NAME "TOOLS" OPTIONS...
    src=$1
    local name=$2 tools=$3 a=$OUT/$2.lzh x=$OUT/x t
    shift 3
    (cd "$src" && "$PACK" "$@" "$a" $(ls)) >/dev/null
    rm -rf "$x"
    for t in $tools; do
        mkdir -p "$x/$t"
        case $t in
            lhasa) (cd "$x/lhasa" && lhasa xq "$a") && same lhasa "$x/lhasa" ;;
            bsdtar) bsdtar -xf "$a" -C "$x/bsdtar" && same bsdtar "$x/bsdtar" ;;
            jlha) (cd "$x/jlha" && LC_ALL=ja_JP.UTF-8 jlha xq "$a" >/dev/null 2>&1) &&
                to_cp932_names "$x/jlha" && same jlha "$x/jlha" ;;
            ours) "$OURS" "$a" "$x/ours" >/dev/null && same_flat "$x/ours" ;;
        esac
    done
    echo "$name: $(stat -c %s "$a") bytes, extracted by: $tools"
}

# bsdtar refuses every cp932 name, and lhasa splits level 0 and 1 names at 0x5C trail bytes:
# both do the same with jlha's own archives (tests/lzh/data/l*_dbcs.lzh).
ALL="lhasa bsdtar jlha ours"
for m in 5 6 7; do
    for l in 0 1 2; do
        check "$FIXTURES" "fixtures-lh$m-l$l" "$ALL" "-$m" "-l$l"
        check "$FIXTURES" "fixtures-lh$m-l$l-best" "$ALL" "-$m" "-l$l" --best
        dbcs_tools="jlha ours"
        [ "$l" = 2 ] && dbcs_tools="lhasa jlha ours"
        check "$DBCS" "cp932-names-lh$m-l$l" "$dbcs_tools" "-$m" "-l$l"
    done
done
if [ "${1:-}" != "--quick" ]; then
    [ -d "$BENCH_INPUT" ] || bash "$ROOT/tools/bench-lzh.sh" >/dev/null
    for m in 5 6 7; do
        for l in 0 1 2; do
            check "$BENCH_INPUT" "bench-lh$m-l$l" "$ALL" "-$m" "-l$l"
        done
        check "$BENCH_INPUT" "bench-lh$m-best" "$ALL" "-$m" --best
    done
fi
rm -rf "$OUT/x"
if [ "$failures" -ne 0 ]; then
    echo "check-lzh-encode: $failures mismatches" >&2
    exit 1
fi
echo "check-lzh-encode: every archive extracted byte for byte"
