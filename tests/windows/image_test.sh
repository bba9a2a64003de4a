#!/usr/bin/env bash
# Checks a built folderreport.exe without running it: PE format and machine,
# console subsystem, size, and an import table that a fresh Windows can
# satisfy: SHGetSpecialFolderPathA by name from SHELL32.dll, KERNEL32.dll and
# msvcrt.dll, nothing else.
#   image_test.sh EXE i686-w64-mingw32|x86_64-w64-mingw32
set -uo pipefail
source "$(dirname "$0")/../checks.sh"
exe=$1 triplet=$2
case $triplet in
    i686-*) format=pei-i386 magic='010b	(PE32)' ;;
    x86_64-*) format=pei-x86-64 magic='020b	(PE32+)' ;;
esac
objdump=$triplet-objdump
command -v "$objdump" >/dev/null || missing "no $objdump: scripts/install-deps installs it"
[ -f "$exe" ] || missing "no $exe: it is built with the tests where $triplet-g++ was found at configure time"

expect() {  # expect DESCRIPTION ACTUAL WANTED
    [ "$2" = "$3" ] || fail "$(printf '%s\n  got:  %s\n  want: %s' "$1" "$2" "$3")"
}

headers=$("$objdump" -p "$exe")
expect format "$(sed -n 's/.*file format //p' <<<"$headers")" "$format"
expect magic "$(sed -n 's/^Magic\t\t*//p' <<<"$headers")" "$magic"
expect subsystem "$(sed -n 's/^Subsystem\t\t*//p' <<<"$headers")" "00000003	(Windows CUI)"
expect DLLs "$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | sort | tr '\n' ' ')" "KERNEL32.dll SHELL32.dll msvcrt.dll "
# The SHELL32 block lists one import, with a hint and a name (not an ordinal).
shell32=$(awk '/DLL Name: SHELL32.dll/ {on=1; next} on && /^$/ {exit} on && /^\t[0-9a-f]+\t/' <<<"$headers")
expect "SHELL32 imports" "$(awk '{print $3}' <<<"$shell32")" "SHGetSpecialFolderPathA"
size=$(stat -c %s "$exe")
[ "$size" -le 65536 ] || expect "size at most 64 KiB" "$size" "<= 65536"

echo "$exe: $size bytes"
finish
