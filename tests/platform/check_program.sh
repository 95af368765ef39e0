#!/usr/bin/env bash
# Reads the shipped program back from its file, as Windows will read it, with no Wine: what
# Wine never shows (UAC, DPI scaling, a floppy swapped under the program, the DLL search) is
# decided by the header, the manifest and the strings read here.
#
# Usage: check_program.sh OBJDUMP WINDRES VERSION PROGRAM
#        check_program.sh --expect OBJDUMP WINDRES VERSION PROGRAM COMPLAINT...
#        check_program.sh --xp-rules MANIFEST COMPLAINT...
# The second form succeeds only when the check fails with each COMPLAINT (words of its line)
# among its complaints: it proves the check catches a program built without all this. The
# third does the same for the rules of Windows XP's manifest reader alone.
set -euo pipefail

# Windows XP SP3 reads the same manifest: it refuses an element of its own namespace that it
# does not know (so each newer one names its own), and SP2 crashes on an element that declares
# two namespaces. Tags must pair up. Reads the manifest on stdin, prints one line a fault.
xp_rules() {
    sed 's/<!--[^>]*-->//g' | grep -o '<[^>]*>' | awk '
        /^<\?/ { next }
        { name = $0; sub(/^<\/?/, "", name); sub(/[ \/>].*/, "", name) }
        /^<[^\/]/ && depth == 1 && name ~ /^(trustInfo|compatibility|application)$/ &&
            !/xmlns="urn:schemas-microsoft-com:(asm\.v2|asm\.v3|compatibility\.v1)"/ {
            print "manifest: " name " names no namespace of its own (Windows XP refuses it)"
        }
        { n = gsub(/xmlns(:[A-Za-z0-9_]+)?=/, "&") }
        n > 1 { print "manifest: " name " declares " n " namespaces (Windows XP SP2 crashes)" }
        /^<\// {
            if (stack[depth] != name) print "manifest: </" name "> closes <" stack[depth] ">"
            depth--
            next
        }
        /\/>$/ { next }
        { stack[++depth] = name }
        END { if (depth != 0) print "manifest: " depth " tags left open" }'
}

# Only the XP rules, on a manifest file: check_program.sh --xp-rules FILE COMPLAINT...
# succeeds when each COMPLAINT is among the faults found (the rules catch what they must).
if [ "${1:-}" = --xp-rules ]; then
    found=$(xp_rules <"$2")
    echo "$found"
    shift 2
    for want in "$@"; do
        grep -qF -- "$want" <<<"$found" || { echo "check_program: no fault \"$want\""; exit 1; }
    done
    exit 0
fi

expect=0
if [ "${1:-}" = --expect ]; then
    expect=1
    shift
fi
objdump=$1 windres=$2 version=$3 program=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
readonly kMaxBytes=524288  # Windows copies a run-from-swap program off the floppy at ~45 KB/s

complaints=()
complain() { complaints+=("$1"); }

# Header. objdump translates its headings: read them in the C locale.
header=$(LC_ALL=C "$objdump" -p "$program")
field() { awk -v name="$1" '$1 == name { print $2; exit }' <<<"$header"; }
characteristics=$((16#$(field Characteristics | sed 's/^0x//')))
dll=$((16#$(field DllCharacteristics)))
(( characteristics & 0x0400 )) || complain "header: IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP not set"
(( characteristics & 0x0800 )) || complain "header: IMAGE_FILE_NET_RUN_FROM_SWAP not set"
(( dll & 0x8000 )) || complain "header: IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE not set"
(( dll & 0x0040 )) || complain "header: DYNAMIC_BASE lost"
(( dll & 0x0100 )) || complain "header: NX_COMPAT lost"
stored=$((16#$(field CheckSum)))
computed=$(bash "$here/../../cmake/pe_header.sh" checksum "$program")
[ "$stored" -eq "$computed" ] || complain "header: checksum $stored, the bytes give $computed"
size=$(stat -c %s "$program")
[ "$size" -le "$kMaxBytes" ] || complain "size: $size bytes, over $kMaxBytes"

# The resources as windres reads them out of the program.
resources=$(LC_ALL=C "$windres" -i "$program" -O rc 2>/dev/null || true)
manifest=$(awk '
    /RT_MANIFEST/ { on = 1; next }
    on && /^END/ { exit }
    on && /^ *"/ {
        line = $0
        sub(/^ *"/, "", line); sub(/"$/, "", line)
        gsub(/""/, "\"", line); gsub(/\\n/, "\n", line)
        printf "%s", line
    }' <<<"$resources")
[ -n "$manifest" ] || complain "manifest: none in the program"
has() { grep -qF -- "$1" <<<"$manifest" || complain "manifest: no $2"; }
has 'name="Renovo.exe" version="'"$version"'"' "identity of version $version"
has 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "common controls 6"
has '<requestedExecutionLevel level="highestAvailable" uiAccess="false"/>' \
    "requestedExecutionLevel highestAvailable"
for os in e2011457-1546-43c5-a5fe-008deee3d3f0:Vista 35138b9a-5d96-4fbd-8e2d-a2440225f93a:7 \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38:8 1f676c76-80e1-4239-95bb-83d0f6d0da78:8.1 \
          8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a:10/11; do
    has "<supportedOS Id=\"{${os%%:*}}\"/>" "supportedOS for Windows ${os#*:}"
done
has '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' \
    "dpiAware true"
if [ -n "$manifest" ]; then
    while IFS= read -r line; do
        [ -n "$line" ] && complain "$line"
    done < <(xp_rules <<<"$manifest")
fi

# Version block: what the program is, its version from the build.
numbers=$(tr . , <<<"$version" | sed 's/,/, /g')
grep -q "^ FILEVERSION $numbers\$" <<<"$resources" || complain "version: FILEVERSION is not $numbers"
grep -q "^ PRODUCTVERSION $numbers\$" <<<"$resources" ||
    complain "version: PRODUCTVERSION is not $numbers"
grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$resources" ||
    complain "version: FileVersion text is not $version"
description=$(grep 'VALUE "FileDescription"' <<<"$resources" || true)
[ -n "$description" ] || complain "version: no FileDescription"
! grep -q MFC <<<"$description" || complain "version: FileDescription names MFC"

# The DLL search is narrowed through functions looked up by name (XP has neither); no DLL
# is named for loading but those already in every process (ntdll, kernel32, the runtime's), or
# one joined to a folder ("\name.dll": loaded by its full path).
for fn in SetDefaultDllDirectories SetDllDirectoryW; do
    LC_ALL=C grep -qa "$fn" "$program" || complain "dll search: $fn is never looked up"
done
imports=$(LC_ALL=C "$objdump" -p "$program" | awk '/DLL Name:/ { print tolower($3) }')
while read -r name; do
    grep -qx "$name" <<<"$imports" && continue
    case $name in
        ntdll.dll | kernel32.dll | msvcrt.dll | libgcc_s_dw2-1.dll) ;;  # looked up as loaded, never searched
        \\*) ;;
        *) complain "dll search: $name named in the program" ;;
    esac
done < <(strings -a "$program" | tr 'A-Z' 'a-z' | grep -o '[\\a-z0-9_.-]*\.dll$' | sort -u)

if [ "$expect" -eq 1 ]; then
    printf '%s\n' "${complaints[@]}"
    [ ${#complaints[@]} -gt 0 ] || { echo "check_program: $program passed, but should fail"; exit 1; }
    for want in "$@"; do
        printf '%s\n' "${complaints[@]}" | grep -qF -- "$want" ||
            { echo "check_program: no complaint about \"$want\""; exit 1; }
    done
    exit 0
fi
if [ ${#complaints[@]} -gt 0 ]; then
    printf 'check_program: %s\n' "${complaints[@]}"
    exit 1
fi
echo "check_program: $(basename "$program") $size bytes; header, manifest, version $version and DLL search as Windows needs them"
