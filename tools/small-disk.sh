#!/usr/bin/env bash
# A small file system of its own for the disk-full tests, set up and removed by ctest around
# the test that needs it.
# Usage: tools/small-disk.sh mount DIR SIZE | unmount DIR
# Mounting needs root; without it nothing is mounted and the disk-full tests skip.
set -euo pipefail
action=$1
dir=$2

unmount() {
    if mountpoint -q "$dir"; then
        # A process that still holds the folder must not keep the mount alive.
        umount "$dir" 2>/dev/null || umount -l "$dir"
    fi
}

case "$action" in
    mount)
        mkdir -p "$dir"
        if [ "$(id -u)" -ne 0 ]; then
            echo "not root: no small file system at $dir, the disk-full tests skip"
            exit 0
        fi
        unmount  # left over from a run that was killed
        mount -t tmpfs -o "size=$3,mode=0755" tmpfs "$dir"
        ;;
    unmount)
        unmount
        ;;
    *)
        echo "usage: $0 mount DIR SIZE | unmount DIR" >&2
        exit 2
        ;;
esac
