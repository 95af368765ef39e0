#!/usr/bin/env bash
# Packing speed, size and peak memory of our LZH encoder beside jlha, on the bench input of
# tools/bench-lzh.sh, in the same run: for -lh5-, -lh6- and -lh7-, jlha, our default level and
# our best level (CPU time, best of 3, the best level once; wall time; archive size; peak resident memory).
# Usage: tools/bench-lzh-encode.sh   (builds natively first)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
INPUT=$ROOT/build/bench-lzh/input
OUT=$ROOT/build/bench-lzh-encode
PACK=$ROOT/build/native/bench/lzh/lzh_pack
bash "$ROOT/tools/build.sh" native >/dev/null
if [ ! -d "$INPUT" ]; then
    # The very input of tools/bench-lzh.sh, made by its own function.
    OUT=$ROOT/build/bench-lzh
    eval "$(sed -n '/^make_input() {/,/^}/p' "$ROOT/tools/bench-lzh.sh")"
    make_input
    OUT=$ROOT/build/bench-lzh-encode
fi
mkdir -p "$OUT"
cd "$INPUT"
files=(./*)
echo "input: ${#files[@]} files, $(du -sb . | awk '{printf "%.1f", $1/1e6}') MB"

# run NAME ARCHIVE COMMAND...: best CPU time (user + system) of $RUNS runs, its wall time, peak RSS.
run() {
    local name=$1 archive=$2 best="" wall="" rss=0 line cpu u s e m
    shift 2
    for _ in $(seq "$RUNS"); do
        rm -f "$archive"
        /usr/bin/time -o "$OUT/time" -f '%U %S %e %M' "$@" >/dev/null 2>&1
        line=$(tail -1 "$OUT/time")
        read -r u s e m <<<"$line"
        cpu=$(awk -v u="$u" -v s="$s" 'BEGIN{print u+s}')
        if [ -z "$best" ] || awk -v a="$cpu" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$cpu; wall=$e; fi
        [ "$m" -gt "$rss" ] && rss=$m
    done
    printf '%-22s %8.2f s cpu %8.2f s wall %11d bytes %8d KB peak\n' "$name" "$best" "$wall" \
        "$(stat -c %s "$archive")" "$rss"
    eval "cpu_$name=$best size_$name=$(stat -c %s "$archive")"
}

for m in 5 6 7; do
    echo "-lh$m-:"
    RUNS=3
    run "jlha_$m" "$OUT/jlha$m.lzh" jlha "a2o${m}q" "$OUT/jlha$m.lzh" "${files[@]}"
    run "ours_$m" "$OUT/ours$m.lzh" "$PACK" "-$m" "$OUT/ours$m.lzh" "${files[@]}"
    RUNS=1  # the slow one: once
    run "best_$m" "$OUT/best$m.lzh" "$PACK" "-$m" --best "$OUT/best$m.lzh" "${files[@]}"
    eval "jc=\$cpu_jlha_$m oc=\$cpu_ours_$m js=\$size_jlha_$m os=\$size_ours_$m bs=\$size_best_$m"
    awk -v jc="$jc" -v oc="$oc" -v js="$js" -v os="$os" -v bs="$bs" -v m="$m" 'BEGIN{
        printf "  default: %.1fx jlha'"'"'s speed (cpu), %+.2f%% size; best: %+.2f%% size against jlha -lh%s-\n",
            jc/oc, (os-js)*100/js, (bs-js)*100/js, m }'
done
