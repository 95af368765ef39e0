#!/usr/bin/env bash
# The include arrows of the product's modules: no module includes one above it (wizard ->
# engine -> backup -> settings/archiver -> replace/trust/receipt -> lzh/text; app -> wizard;
# display stands alone; everyone may use framework and text), and no two units (a file and its
# header) include each other.
# Usage: check_includes.sh SOURCE_ROOT [UNIT...]   (units left out of the mutual check)
set -euo pipefail
root=$1
shift
declare -A level=([text]=0 [ids]=0 [framework]=1 [lzh]=1 [display]=2 [trust]=2 [receipt]=2
                  [replace]=2 [settings]=3 [archiver]=3 [backup]=4 [engine]=5 [wizard]=6 [app]=7)
faults=0
edges=$(cd "$root" && grep -rHoE '^#include "[a-z_]+/[a-z_0-9]+\.h"' \
    text framework lzh display trust receipt replace settings archiver backup engine wizard app |
    sed -E 's/:#include "/ /; s/"$//')
while read -r from to; do
    a=${from%%/*}
    b=${to%%/*}
    if [ "${level[$b]}" -gt "${level[$a]}" ]; then
        echo "upward include: $from -> $to"
        faults=$((faults + 1))
    fi
done <<<"$edges"
units=$(echo "$edges" | sed -E 's/\.(cpp|h) / /; s/\.h$//' | sort -u)
while read -r a b; do
    if [ "$a" != "$b" ] && grep -qx "$b $a" <<<"$units" && [[ ! " $* " =~ " $a " ]]; then
        echo "units include each other: $a <-> $b"
        faults=$((faults + 1))
    fi
done <<<"$units"
[ "$faults" -eq 0 ] && echo "includes: every arrow points down, no two units both ways"
exit $((faults > 0))
