#!/usr/bin/env bash
# The shipped i386 folderreport.exe itself, under 32-bit Wine.  This host
# cannot execute 32-bit code, so scripts/guest-run boots a qemu guest that
# can; every run happens in that one boot, as root in the guest: every group
# of tests/windows/runs.sh in a prefix of 32-bit Windows, then the first
# groups again in a prefix of 64-bit Windows, where the program runs under
# WOW64 as on nearly every Windows today.
#   guest_test.sh EXE CACHE
set -uo pipefail
here=$(dirname "$0")
source "$here/../checks.sh"
source "$here/runs_check.sh"
[ -f "$1" ] || missing "no $1: it is built with the tests where i686-w64-mingw32-g++ was found"
require localedef
export GUEST_CACHE=$2
work=$(mktemp -d -t folderreport-guest-XXXXXX)
trap 'rm -rf "$work"' EXIT
share=$work/share
mkdir -p "$share/win32" "$share/wow64"
make_locales "$share/locales"
cp "$here/runs.sh" "$here/../with_tmpfs.sh" "$here/../closed_pipe.py" "$share/"
win32_cases="basic users console ansi paths errors" wow64_cases="basic users"
cat >"$work/job.sh" <<JOB
export USERS="$USERS" LOCALES=/share/locales WITH_TMPFS=/share/with_tmpfs.sh CLOSED_PIPE=/share/closed_pipe.py
new_wine_prefix win32 /tmp/prefix-win32 && OUT=/share/win32 CASES="$win32_cases" sh /share/runs.sh
/usr/lib/wine/wineserver -k; rm -rf /tmp/prefix-win32  # room in the guest's memory
new_wine_prefix wow64 /tmp/prefix-wow64 && OUT=/share/wow64 CASES="$wow64_cases" sh /share/runs.sh
JOB

"$here/../../scripts/guest-run" --out "$share" "$1" "$work/job.sh" 2>"$work/guest.err"
status=$?
[ "$status" != 77 ] || missing "$(cat "$work/guest.err")"
[ "$status" = 0 ] || fail "the guest run: status $status: $(cat "$work/guest.err")"
check_runs "$share/win32" root win32 "$win32_cases"
check_runs "$share/wow64" root wow64 "$wow64_cases"
finish
