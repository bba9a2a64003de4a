#!/usr/bin/env bash
# The 64-bit folderreport.exe against a real implementation of the shell:
# 64-bit Wine, in a prefix and a home of its own that are removed at the end.
#   wine_test.sh EXE
set -uo pipefail
source "$(dirname "$0")/../checks.sh"
source "$(dirname "$0")/runs_check.sh"
[ -x /usr/lib/wine/wine64 ] || missing "no 64-bit Wine: scripts/install-deps installs it"
[ -f "$1" ] || missing "no $1: it is built with the tests where x86_64-w64-mingw32-g++ was found"
exe=$(realpath "$1")
wine_run=$(dirname "$0")/../../scripts/wine-run

work=$(mktemp -d -t folderreport-wine-XXXXXX)
export HOME=$work/home WINEPREFIX=$work/prefix  # Wine links profile folders into HOME
mkdir -p "$HOME"
trap '"$wine_run" --stop; rm -rf "$work"' EXIT

mkdir "$work/out"
WINE=$wine_run PROGRAM=$exe OUT=$work/out sh "$(dirname "$0")/runs.sh"
check_runs "$work/out" "$(id -un)"
finish
