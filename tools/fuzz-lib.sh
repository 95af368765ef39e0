# Sourced by the fuzz scripts: one way to build a libFuzzer target (AddressSanitizer and
# UndefinedBehaviorSanitizer) and to run it, so every target is checked alike.

# renovo_fuzz_build BINARY SOURCE... -- HEADER...: builds when a source or header is newer.
renovo_fuzz_build() {
    local binary=$1
    shift
    local sources=()
    while [ "$1" != -- ]; do
        sources+=("$1")
        shift
    done
    shift
    if [ ! -x "$binary" ] || [ -n "$(find "${sources[@]}" "$@" -newer "$binary")" ]; then
        clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined \
            -fno-sanitize-recover=undefined -I"$ROOT" "${sources[@]}" -o "$binary"
    fi
}

# renovo_fuzz_run BINARY SECONDS MAX_LEN TIMEOUT CORPUS_DIR...: runs in the binary's folder.
renovo_fuzz_run() {
    local binary=$1 seconds=$2 max_len=$3 timeout=$4
    shift 4
    cd "$(dirname "$binary")"
    "./$(basename "$binary")" -max_total_time="$seconds" -max_len="$max_len" -timeout="$timeout" \
        -rss_limit_mb=1024 -print_final_stats=1 "$@"
}
