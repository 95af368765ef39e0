#!/usr/bin/env bash
# Fields of a linked PE file's header that GNU ld has no switch for.
#   pe_header.sh run-from-swap FILE   sets IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP and
#                                     IMAGE_FILE_NET_RUN_FROM_SWAP, then writes the checksum anew
#   pe_header.sh checksum FILE        prints the checksum the file's bytes call for (decimal)
# Run from swap: Windows copies the whole program into the swap file as it starts, so that
# swapping the floppy (or losing the share) it came from cannot starve it of a page later.
set -euo pipefail

readonly kRemovableRunFromSwap=0x0400 kNetRunFromSwap=0x0800

file=$2

read_u() {  # read_u OFFSET BYTES: an unsigned little-endian number
    od --endian=little -An -tu"$2" -j "$1" -N "$2" "$file" | tr -d ' '
}

write_u() {  # write_u OFFSET BYTES VALUE
    local bytes="" i
    for ((i = 0; i < $2; i++)); do
        bytes+=$(printf '\\%03o' $((($3 >> (8 * i)) & 255)))
    done
    printf "$bytes" | dd of="$file" bs=1 seek="$1" conv=notrunc status=none
}

pe=$(read_u 60 4)
[ "$(od -An -tx1 -j "$pe" -N 4 "$file" | tr -d ' ')" = 50450000 ] ||
    { echo "pe_header: $file is no PE file" >&2; exit 1; }
readonly characteristics_at=$((pe + 22)) checksum_at=$((pe + 24 + 64))

# The sum of the file's 16-bit words with the carries folded back in, the checksum field
# counted as zero, plus the file's length (as Windows' CheckSumMappedFile computes it).
checksum() {
    local size
    size=$(stat -c %s "$file")
    { od --endian=little -An -v -tu2 "$file"; [ $((size % 2)) -eq 0 ] || tail -c 1 "$file" |
        od -An -tu1; } | awk -v skip=$((checksum_at / 2)) -v size="$size" '
        { for (i = 1; i <= NF; i++) {
              if (n != skip && n != skip + 1) { sum += $i; sum = sum % 65536 + int(sum / 65536) }
              n++
          } }
        END { sum = sum % 65536 + int(sum / 65536); printf "%d\n", sum + size }'
}

case $1 in
    run-from-swap)
        flags=$(read_u "$characteristics_at" 2)
        write_u "$characteristics_at" 2 $((flags | kRemovableRunFromSwap | kNetRunFromSwap))
        write_u "$checksum_at" 4 "$(checksum)"
        ;;
    checksum)
        checksum
        ;;
    *)
        echo "usage: pe_header.sh run-from-swap|checksum FILE" >&2
        exit 2
        ;;
esac
