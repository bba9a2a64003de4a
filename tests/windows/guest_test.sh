#!/usr/bin/env bash
# The shipped i386 folderreport.exe itself, under 32-bit Wine.  This host
# cannot execute 32-bit code, so scripts/guest-run boots a qemu guest that
# can; every run happens in that one boot, as root in the guest.
#   guest_test.sh EXE CACHE
set -uo pipefail
source "$(dirname "$0")/../checks.sh"
source "$(dirname "$0")/runs_check.sh"
[ -f "$1" ] || missing "no $1: it is built with the tests where i686-w64-mingw32-g++ was found"
export GUEST_CACHE=$2
work=$(mktemp -d -t folderreport-guest-XXXXXX)
trap 'rm -rf "$work"' EXIT

"$(dirname "$0")/../../scripts/guest-run" --out "$work/out" "$1" "$(dirname "$0")/runs.sh" 2>"$work/guest.err"
status=$?
[ "$status" != 77 ] || missing "$(cat "$work/guest.err")"
[ "$status" = 0 ] || fail "the guest run: status $status: $(cat "$work/guest.err")"
check_runs "$work/out" root
finish
