#!/usr/bin/env bash
# with_tmpfs.sh SIZE COMMAND...: runs COMMAND, as root, in a mount namespace
# of its own, with TMPFS naming a new, empty tmpfs of SIZE; exits with its
# status.  Nothing mounted there reaches the outer namespace: the mounts
# above the tmpfs are made private first.  In a chroot, whose / is no mount
# point and cannot be made private, the tmpfs goes below /dev/shm instead.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: with_tmpfs.sh SIZE COMMAND..." >&2; exit 2; }
exec unshare --mount --propagation unchanged bash -euo pipefail -c '
    size=$1
    shift
    if mount --make-rprivate / 2>/dev/null; then
        dir=$(mktemp -d -t folderreport-tmpfs-XXXXXX)
    else
        mount --make-private /dev/shm
        dir=$(mktemp -d /dev/shm/folderreport-tmpfs-XXXXXX)
    fi
    # Lazily: a process the command left (a wineserver) may hold a file open.
    trap "umount -l \"$dir\" 2>/dev/null || true; rmdir \"$dir\" 2>/dev/null || true" EXIT
    mount -t tmpfs -o size="$size",mode=0755 tmpfs "$dir"
    status=0
    TMPFS=$dir "$@" || status=$?
    exit $status' with_tmpfs "$@"
