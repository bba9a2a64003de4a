#!/usr/bin/env bash
# The 64-bit folderreport.exe against a real implementation of the shell:
# 64-bit Wine, in a prefix and a home of its own that are removed at the end,
# through every group of runs in tests/windows/runs.sh.
#   wine_test.sh EXE
set -uo pipefail
here=$(dirname "$0")
source "$here/../checks.sh"
source "$here/runs_check.sh"
[ -x /usr/lib/wine/wine64 ] || missing "no 64-bit Wine: scripts/install-deps installs it"
[ -f "$1" ] || missing "no $1: it is built with the tests where x86_64-w64-mingw32-g++ was found"
require tmux localedef perl python3
exe=$(realpath "$1")
wine_run=$(realpath "$here/../../scripts/wine-run")

work=$(mktemp -d -t folderreport-wine-XXXXXX)
export HOME=$work/home WINEPREFIX=$work/prefix  # Wine links profile folders into HOME
mkdir -p "$HOME" "$work/out"
trap '"$wine_run" --stop; rm -rf "$work"' EXIT
make_locales "$work/locales"

cases="basic users console ansi paths errors"
WINE=$wine_run PROGRAM=$exe OUT=$work/out LOCALES=$work/locales WITH_TMPFS=$(realpath "$here/../with_tmpfs.sh") \
    CLOSED_PIPE=$(realpath "$here/../closed_pipe.py") CASES=$cases sh "$here/runs.sh"
check_runs "$work/out" "$(id -un)" win64 "$cases"
finish
