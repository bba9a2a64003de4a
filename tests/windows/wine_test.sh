#!/usr/bin/env bash
# The 64-bit folderreport.exe against a real implementation of the shell:
# 64-bit Wine, in a prefix and a home of its own that are removed at the end.
#   wine_test.sh EXE
set -uo pipefail
source "$(dirname "$0")/../checks.sh"
[ -x /usr/lib/wine/wine64 ] || missing "no 64-bit Wine: scripts/install-deps installs it"
[ -f "$1" ] || missing "no $1: it is built with the tests where x86_64-w64-mingw32-g++ was found"
exe=$(realpath "$1")
wine_run=$(dirname "$0")/../../scripts/wine-run

work=$(mktemp -d -t folderreport-wine-XXXXXX)
export HOME=$work/home WINEPREFIX=$work/prefix  # Wine links profile folders into HOME
mkdir -p "$HOME"
trap '"$wine_run" --stop; rm -rf "$work"' EXIT

report() {  # report FILE: runs the program, its output into FILE
    "$wine_run" "$exe" >"$1" 2>"$work/err"
    local status=$?
    [ "$status" -eq 0 ] || fail "exit status $status"
    [ ! -s "$work/err" ] || fail "standard error: $(cat "$work/err")"
}
line() { sed -n "$2p" "$1" | tr -d '\r'; }  # line FILE N, without its CR LF

user=$(id -un)
profile="C:\\users\\$user"
found="SYSTEM          : C:\\windows\\system32
WINDOWS         : C:\\windows
DESKTOPDIRECTORY: $profile\\Desktop
STARTMENU       : $profile\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu
PROGRAMS        : $profile\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs
PROGRAM_FILES   : C:\\Program Files
PROGRAM_FILES_COMMON: C:\\Program Files\\Common Files
PERSONAL        : $profile\\Documents
MYDOCUMENTS     : FAILED ()
MYPICTURES      : $profile\\Pictures
APPDATA         : $profile\\AppData\\Roaming
COMMON_APPDATA  : C:\\ProgramData
COMMON_DOCUMENTS: C:\\users\\Public\\Documents
LOCAL_APPDATA   : $profile\\AppData\\Local"

# 1. A new prefix: every folder but MYDOCUMENTS, which has no file-system
#    path, is found.  The failed line right after PERSONAL's shows no path.
report "$work/first"
[ "$(wc -l <"$work/first")" -eq 14 ] || fail "not fourteen lines"
[ "$(grep -c $'\r$' "$work/first")" -eq 14 ] || fail "not every line ends in CR LF"
[ "$(tr -d '\r' <"$work/first")" = "$found" ] || fail "first run:"$'\n'"$(cat "$work/first")"
[ "$(line "$work/first" 9)" = "MYDOCUMENTS     : FAILED ()" ] || fail "MYDOCUMENTS shows a path"

# 2. Without the user's Pictures and the Public Documents the shell creates
#    them, and the next run finds them.
pictures="$WINEPREFIX/drive_c/users/$user/Pictures"
public="$WINEPREFIX/drive_c/users/Public/Documents"
rm -rf "$pictures" "$public"
report "$work/second"
[ "$(line "$work/second" 10)" = "MYPICTURES      : CREATED ($profile\\Pictures)" ] || fail "$(line "$work/second" 10)"
[ "$(line "$work/second" 13)" = "COMMON_DOCUMENTS: CREATED (C:\\users\\Public\\Documents)" ] || fail "$(line "$work/second" 13)"
[ -d "$pictures" ] && [ -d "$public" ] || fail "created folders are missing"
report "$work/third"
[ "$(tr -d '\r' <"$work/third")" = "$found" ] || fail "third run:"$'\n'"$(cat "$work/third")"

# 3. Through a pipe the bytes are the same as into a file.
"$wine_run" "$exe" | cat >"$work/piped"
cmp -s "$work/third" "$work/piped" || fail "piped output differs"

finish
