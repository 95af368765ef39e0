#!/usr/bin/env bash
# Runs the backup tests that need symbolic links (Links.*). Wine makes no link of its own
# (CreateSymbolicLink does nothing, junctions are refused, MoveFile moves what a link points
# at), but it reports a Linux symbolic link to a folder as a reparse point, as Windows reports
# a junction: FindFirstFile and GetFileAttributes give FILE_ATTRIBUTE_REPARSE_POINT. So this
# script makes the links while the tests run: a test drops a request into the folder named by
# RENOVO_LINKS ("ln", the link's and the target's Unix paths; or "rm" and the link's) and waits
# until the request has gone.
# Usage: with_links.sh TEST_PROGRAM WORK_FOLDER
set -euo pipefail
program=$1
work=$2

rm -rf "$work"
mkdir -p "$work"
serve() {
    local request lines
    while :; do
        for request in "$work"/*.req; do
            [ -e "$request" ] || continue
            mapfile -t lines <"$request"
            case ${lines[0]} in
                ln) ln -s "${lines[2]}" "${lines[1]}" || true ;;
                rm) if [ -L "${lines[1]}" ]; then rm -f "${lines[1]}"; fi ;;  # the link alone
            esac
            rm -f "$request"
        done
        sleep 0.02
    done
}
serve &
server=$!
status=0
RENOVO_LINKS="Z:${work//\//\\}" wine "$program" --gtest_filter='Links.*' --gtest_brief=1 ||
    status=$?
kill "$server" 2>/dev/null || true
wait "$server" 2>/dev/null || true
rm -rf "$work"
exit "$status"
