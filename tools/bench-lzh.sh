#!/usr/bin/env bash
# Extraction speed of our LZH decoder (native, writing with the standard library) beside
# lhasa and bsdtar on the same 40 MB mixed input packed by jlha as -lh5-, -lh6- and -lh7-.
# Prints MB/s of all three (best of 5 runs, by wall clock and by CPU time), the ratios, and our peak memory on a small and on
# the large archive. Usage: tools/bench-lzh.sh   (builds natively first)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/build/bench-lzh
BENCH=$ROOT/build/native/bench/lzh/lzh_bench
bash "$ROOT/tools/build.sh" native >/dev/null
for tool in jlha lhasa bsdtar /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "bench-lzh: $tool is missing (tools/setup.sh)" >&2; exit 1; }
done
mkdir -p "$OUT"

make_input() {
    local in=$OUT/input
    rm -rf "$in" && mkdir -p "$in"
    # Text records: 12 MB in three files.
    for i in 1 2 3; do
        perl -e 'srand('"$i"'); my @w = qw(order item price stock customer ship date note 東京 大阪);
            for my $n (1..90000) { printf "%07d,%s,%s,%d,%.2f,%s\n", $n, $w[rand @w], $w[rand @w],
            int(rand 1000), rand 10000, "x" x int(rand 8) }' > "$in/text$i.csv"
    done
    # Binary records: fixed-size structures with counters and small fields, 8 MB.
    perl -e 'srand(7); for my $n (1..262144) { print pack("VvvVfa16", $n, $n % 365, int(rand 50),
        int(rand 1e6), rand, "ITEM" . ($n % 977)) }' > "$in/records.bin"
    # Executables: copies of installed programs, about 10 MB.
    local total=0 f
    for f in $(ls -S /usr/bin | head -200 | sort); do
        [ -f "/usr/bin/$f" ] || continue
        local size
        size=$(stat -c %s "/usr/bin/$f")
        [ "$size" -lt 3000000 ] || continue
        cp "/usr/bin/$f" "$in/exe_$f"
        total=$((total + size))
        [ "$total" -lt 10000000 ] || break
    done
    head -c 5000000 /dev/urandom > "$in/random.bin"
    head -c 5000000 /dev/zero > "$in/zeros.bin"
}

if [ ! -f "$OUT/lh7.lzh" ]; then
    make_input
    for m in 5 6 7; do
        (cd "$OUT/input" && jlha "a2o$m" "$OUT/lh$m.lzh" ./* >/dev/null 2>&1)
        [ -s "$OUT/lh$m.lzh" ] || { echo "bench-lzh: jlha failed for -lh$m-" >&2; exit 1; }
    done
fi
input_bytes=$(du -sb "$OUT/input" | cut -f1)
echo "input: $(ls "$OUT/input" | wc -l) files, $(awk -v b="$input_bytes" 'BEGIN{printf "%.1f", b/1e6}') MB"

now() { date +%s.%N; }
# Best wall time and best CPU time (user + system) of five runs of "$@" into a fresh, empty
# folder $OUT/x. The machine may be shared: CPU time is the steadier figure.
best_times() {
    local wall="" cpu="" t0 t1 t c
    for _ in 1 2 3 4 5; do
        rm -rf "$OUT/x" && mkdir -p "$OUT/x"
        sync
        t0=$(now)
        /usr/bin/time -f "%U %S" -o "$OUT/cpu" "$@" >/dev/null 2>&1
        t1=$(now)
        t=$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b - a}')
        c=$(awk '{print $1 + $2}' "$OUT/cpu")
        if [ -z "$wall" ] || awk -v a="$t" -v b="$wall" 'BEGIN{exit !(a < b)}'; then wall=$t; fi
        if [ -z "$cpu" ] || awk -v a="$c" -v b="$cpu" 'BEGIN{exit !(a < b)}'; then cpu=$c; fi
    done
    echo "$wall $cpu"
}
mbps() { awk -v b="$input_bytes" -v t="$1" 'BEGIN{printf "%.1f", b / 1e6 / (t > 0 ? t : 0.01)}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2fx", a / (b > 0 ? b : 0.01)}'; }

printf "%-6s %-5s %10s %10s %11s %12s %11s\n" method clock "ours MB/s" "lhasa MB/s" "bsdtar MB/s" \
    "ours/bsdtar" "ours/lhasa"
for m in 5 6 7; do
    a=$OUT/lh$m.lzh
    read -r ours_w ours_c < <(best_times "$BENCH" "$a" "$OUT/x")
    # Our output must be the input, byte for byte.
    for f in "$OUT"/input/*; do
        cmp -s "$f" "$OUT/x/$(basename "$f")" || { echo "bench-lzh: $f differs" >&2; exit 1; }
    done
    read -r lh_w lh_c < <(best_times lhasa "xqfw=$OUT/x" "$a")
    read -r bt_w bt_c < <(best_times bsdtar -xf "$a" -C "$OUT/x")
    printf "%-6s %-5s %10s %10s %11s %12s %11s\n" "-lh$m-" wall "$(mbps "$ours_w")" "$(mbps "$lh_w")" \
        "$(mbps "$bt_w")" "$(ratio "$bt_w" "$ours_w")" "$(ratio "$lh_w" "$ours_w")"
    printf "%-6s %-5s %10s %10s %11s %12s %11s\n" "" cpu "$(mbps "$ours_c")" "$(mbps "$lh_c")" \
        "$(mbps "$bt_c")" "$(ratio "$bt_c" "$ours_c")" "$(ratio "$lh_c" "$ours_c")"
done

echo "peak memory (maxrss):"
rm -rf "$OUT/x" && mkdir -p "$OUT/x"
small=$("$BENCH" "$ROOT/tests/lzh/data/l2_o7.lzh" "$OUT/x" | sed 's/.*maxrss_kib //')
rm -rf "$OUT/x" && mkdir -p "$OUT/x"
large=$("$BENCH" "$OUT/lh7.lzh" "$OUT/x" | sed 's/.*maxrss_kib //')
echo "  ours   small archive ($(stat -c %s "$ROOT/tests/lzh/data/l2_o7.lzh") bytes): $small KiB"
echo "  ours   large archive ($(stat -c %s "$OUT/lh7.lzh") bytes): $large KiB"
for peer in lhasa bsdtar; do
    rm -rf "$OUT/x" && mkdir -p "$OUT/x"
    if [ "$peer" = lhasa ]; then
        kib=$( { /usr/bin/time -f %M lhasa "xqfw=$OUT/x" "$OUT/lh7.lzh" >/dev/null; } 2>&1 | tail -1)
    else
        kib=$( { /usr/bin/time -f %M bsdtar -xf "$OUT/lh7.lzh" -C "$OUT/x" >/dev/null; } 2>&1 | tail -1)
    fi
    echo "  $peer large archive: $kib KiB"
done
rm -rf "$OUT/x"
