#!/usr/bin/env bash
# Checks a built folderreport.exe without running it: PE format and machine,
# console subsystem, size, an import table that a fresh Windows can satisfy
# (SHGetSpecialFolderPathA and SHGetSpecialFolderPathW by name from
# SHELL32.dll, KERNEL32.dll and msvcrt.dll, nothing else), the image flags
# of a console program (ASLR with its relocations, DEP, terminal-server
# aware) and its application manifest.
#   image_test.sh EXE i686-w64-mingw32|x86_64-w64-mingw32
set -uo pipefail
source "$(dirname "$0")/../checks.sh"
exe=$1 triplet=$2
case $triplet in
    i686-*) format=pei-i386 magic='010b	(PE32)' ;;
    x86_64-*) format=pei-x86-64 magic='020b	(PE32+)' ;;
esac
objdump=$triplet-objdump
require "$objdump" wrestool python3
[ -f "$exe" ] || missing "no $exe: it is built with the tests where $triplet-g++ was found at configure time"

expect() {  # expect DESCRIPTION ACTUAL WANTED
    [ "$2" = "$3" ] || fail "$(printf '%s\n  got:  %s\n  want: %s' "$1" "$2" "$3")"
}

headers=$("$objdump" -p "$exe")
expect format "$(sed -n 's/.*file format //p' <<<"$headers")" "$format"
expect magic "$(sed -n 's/^Magic\t\t*//p' <<<"$headers")" "$magic"
expect subsystem "$(sed -n 's/^Subsystem\t\t*//p' <<<"$headers")" "00000003	(Windows CUI)"
expect DLLs "$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | sort | tr '\n' ' ')" "KERNEL32.dll SHELL32.dll msvcrt.dll "
# The SHELL32 block lists the query and the Unicode one that checks its
# answers, each with a hint and a name (not an ordinal).
shell32=$(awk '/DLL Name: SHELL32.dll/ {on=1; next} on && /^$/ {exit} on && /^\t[0-9a-f]+\t/' <<<"$headers")
expect "SHELL32 imports" "$(awk '{print $3}' <<<"$shell32" | sort | tr '\n' ' ')" "SHGetSpecialFolderPathA SHGetSpecialFolderPathW "
expect "image flags" "$(sed -n '/^DllCharacteristics/,/^[A-Z]/p' <<<"$headers" | grep -o -E 'DYNAMIC_BASE|NX_COMPAT|TERMINAL_SERVICE_AWARE' | tr '\n' ' ')" \
    "DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE "
! grep -q 'relocations stripped' <<<"$headers" || fail "relocations stripped: ASLR cannot move the image"
# The manifest: resource type 24, id 1, well-formed, asking to run as the
# invoker, naming Windows 7, 8, 8.1 and 10/11 as supported, and UTF-8 as
# the process code page, in the namespace Windows reads it from.
manifest=$(wrestool -x --raw --type=24 --name=1 "$exe" | python3 -c '
import sys, xml.dom.minidom as dom
doc = dom.parseString(sys.stdin.buffer.read())
levels = [e.getAttribute("level") for e in doc.getElementsByTagName("requestedExecutionLevel")]
systems = sorted(e.getAttribute("Id") for e in doc.getElementsByTagName("supportedOS"))
pages = [e.firstChild.data for e in doc.getElementsByTagNameNS(
    "http://schemas.microsoft.com/SMI/2019/WindowsSettings", "activeCodePage")]
print(" ".join(levels), " ".join(systems), " ".join(pages))' 2>&1)
expect manifest "$manifest" "asInvoker {1f676c76-80e1-4239-95bb-83d0f6d0da78} {35138b9a-5d96-4fbd-8e2d-a2440225f93a} {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38} {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a} UTF-8"
size=$(stat -c %s "$exe")
[ "$size" -le 65536 ] || expect "size at most 64 KiB" "$size" "<= 65536"

echo "$exe: $size bytes"
finish
