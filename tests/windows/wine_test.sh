#!/usr/bin/env bash
# A Windows folderreport.exe against a real implementation of the shell,
# Wine, in a fresh prefix and home of their own, and against SHELL32, the
# scripted shell, in Wine's place: every group of runs in
# tests/windows/runs.sh, checked by runs_check.sh.  VIEW is the Windows
# the program sees: win64 (the x86-64 image, 64-bit Windows), win32 (the
# i386 image, 32-bit Windows) or wow64 (the i386 image on 64-bit Windows).
# The i386 image runs straight under the host's Wine where the host runs
# 32-bit code; elsewhere, or with FOLDERREPORT_GUEST=1, in the qemu guest of
# scripts/guest-run, which keeps its kernel in GUEST_CACHE.
#   wine_test.sh VIEW EXE SHELL32 [GUEST_CACHE]
set -uo pipefail
here=$(dirname "$0")
source "$here/../checks.sh"
source "$here/runs_check.sh"
source "$here/../../scripts/wine.sh"
view=$1 exe=$2 shell32=$3
[ -x "$wine64" ] || missing "no 64-bit Wine: scripts/install-deps installs it"
for file in "$exe" "$shell32"; do
    [ -f "$file" ] || missing "no $file: it is built with the tests where its mingw-w64 cross compiler was found"
done
require tmux localedef perl python3
work=$(mktemp -d -t folderreport-wine-XXXXXX)
trap 'rm -rf "$work"' EXIT
make_locales "$work/locales"
cp "$here/runs.sh" "$here/../with_tmpfs.sh" "$here/../closed_pipe.py" "$work/"
cp "$shell32" "$work/shell32.dll"
scripted_answers >"$work/answers"
mkdir "$work/out"
cases="basic users console ansi paths scripted errors"
# settings ROOT: runs.sh's environment, with ROOT where $work is seen.
settings() {
    settings=(USERS="$USERS" LOCALES="$1/locales" WITH_TMPFS="$1/with_tmpfs.sh" CLOSED_PIPE="$1/closed_pipe.py"
              SHELL32="$1/shell32.dll" ANSWERS="$1/answers" OUT="$1/out" CASES="$cases" WINDOWS_VIEW="$view")
}

if [ "$view" = win64 ] || { runs_32bit && [ "${FOLDERREPORT_GUEST-}" != 1 ]; }; then
    wine_run=$(realpath "$here/../../scripts/wine-run")
    export HOME=$work/home WINEPREFIX=$work/prefix  # Wine links profile folders into HOME
    mkdir "$HOME"
    trap '"$wine_run" --stop; rm -rf "$work"' EXIT
    settings "$work"
    env "${settings[@]}" WINE="$wine_run" PROGRAM="$(realpath "$exe")" timeout 300 sh "$work/runs.sh"
    user=$(id -un)
else
    # As root in the guest, in the guest's own memory.
    settings /share
    { printf "export WINEPREFIX=/tmp/prefix"; printf " '%s'" "${settings[@]}"; printf '\nsh /share/runs.sh\n'; } >"$work/job.sh"
    GUEST_CACHE=${4:?no guest cache} "$here/../../scripts/guest-run" --out "$work" "$exe" "$work/job.sh" 2>"$work/guest.err"
    status=$?
    [ "$status" != 77 ] || missing "$(cat "$work/guest.err")"
    [ "$status" = 0 ] || fail "the guest run: status $status: $(cat "$work/guest.err")"
    user=root
fi
check_runs "$work/out" "$user" "$view" "$cases"
finish
