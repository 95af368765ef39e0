#!/usr/bin/env bash
# Checks that programs load on Windows XP SP3: every function they import must be in the table
# of the functions we use (windows_imports.txt) with a minimum client no newer than XP. Wine
# exports Vista functions whatever version it plays, so only the import table shows this.
#
# Usage: check_imports.sh TABLE OBJDUMP PROGRAM...
#        check_imports.sh --expect TABLE LIST FUNCTION...
# The second form checks the "DLL function" lines of LIST and succeeds only when the check
# fails naming exactly the FUNCTIONs given: it proves the check catches a known bad program.
set -euo pipefail

# Prints "DLL function program" for each import of each program; an import by ordinal
# prints its ordinal, which no table line matches.
list_imports() {
    local objdump=$1 program
    shift
    for program in "$@"; do
        # objdump translates its headings: read them in the C locale.
        LC_ALL=C "$objdump" -p "$program" | awk -v program="$(basename "$program")" '
            /^The Import Tables/ { on = 1; next }
            on && /^(The |PE File Base)/ { on = 0 }
            on && /DLL Name:/ { dll = $3; next }
            on && dll != "" && /^\t[0-9a-f]+\t/ {
                print dll, ($NF == "<none>" ? "ordinal-" $2 : $NF), program
            }'
    done
}

# Reads the table, then "DLL function [program]" lines on stdin; prints one line per bad
# import and exits 1 when there is any.
check_list() {
    awk -v table="$1" '
        function rank(client) {
            return client == "2000" ? 0 : client == "XP" ? 1 : client == "Vista" ? 2 : \
                   client == "7" ? 3 : client == "8" ? 4 : client == "8.1" ? 5 : \
                   client == "10" ? 6 : client == "11" ? 7 : -1
        }
        function newer(a, b,   x, y) {  # version a later than version b
            split(a, x, "."); split(b, y, ".")
            return x[1] + 0 != y[1] + 0 ? x[1] + 0 > y[1] + 0 : x[2] + 0 > y[2] + 0
        }
        BEGIN {
            while ((getline line < table) > 0) {
                n = split(line, f, /[ \t]+/)
                if (n == 0 || f[1] ~ /^#/ || f[1] == "") continue
                if (f[1] == "xp-ships") { ships[toupper(f[2])] = f[3]; continue }
                if (rank(f[3]) < 0) { print table ": unknown client \"" f[3] "\" for " f[2]; bad = 1 }
                key = toupper(f[1]) " " f[2]
                client[key] = f[3]
                dllVersion[key] = n >= 4 ? f[4] : ""
            }
            close(table)
        }
        {
            key = toupper($1) " " $2
            where = NF >= 3 ? " (" $3 ")" : ""
            if (!(key in client)) {
                print $1 " " $2 ": not in the table, look up its minimum supported client" where
                bad = 1
            } else if (rank(client[key]) > rank("XP")) {
                dll = toupper($1)
                v = dllVersion[key]
                if (v == "" || !(dll in ships) || newer(v, ships[dll])) {
                    print $1 " " $2 ": needs Windows " client[key] where
                    bad = 1
                }
            }
        }
        END { exit bad }'
}

if [ "${1:-}" = --expect ]; then
    table=$2 list=$3
    shift 3
    if report=$(check_list "$table" < "$list"); then
        echo "check_imports: $list passed, but should fail"
        exit 1
    fi
    echo "$report"
    expected=$(printf '%s\n' "$@" | sort)
    named=$(sed 's/^[^ ]* \([^:]*\):.*/\1/' <<<"$report" | sort)
    [ "$named" = "$expected" ] || { echo "check_imports: expected complaints about: $*"; exit 1; }
    exit 0
fi

table=$1 objdump=$2
shift 2
imports=$(list_imports "$objdump" "$@")
[ -n "$imports" ] || { echo "check_imports: no imports read from $*"; exit 1; }
check_list "$table" <<<"$imports"
echo "check_imports: $(wc -l <<<"$imports") imports of $# programs load on Windows XP"
