#!/usr/bin/env bash
# The program's own code needs nothing but the C library: no libstdc++, no
# libm, no libgcc_s.  Checked on the objects it is linked from, so that the
# answer is the same for GCC and clang, with or without sanitizers: every
# symbol they leave undefined is defined by one of them or by libc.so.6, or
# is a hook of the sanitizers' instrumentation.  A build without sanitizers
# must also name no other library to load.
#   libraries_test.sh CXX NM PROGRAM sanitized|plain OBJECT-OR-ARCHIVE...
set -uo pipefail
source "$(dirname "$0")/checks.sh"
cxx=$1 nm=$2 program=$3 build=$4
shift 4
libc=$("$cxx" -print-file-name=libc.so.6)
[ -f "$libc" ] || missing "$cxx does not know where libc.so.6 is"

symbols() { "$nm" "$@" --format=just-symbols 2>/dev/null | grep -v -e '^$' -e ':$' | sed 's/@.*//' | sort -u; }
unresolved=$(symbols --undefined-only "$@" |
    comm -23 - <(symbols --defined-only "$@") |
    comm -23 - <(symbols -D --defined-only "$libc") |
    # _GLOBAL_OFFSET_TABLE_ is the linker's; clang's -fsanitize=function
    # refers to the type information of function types.
    grep -v -E '^(__asan_|__ubsan_|__sanitizer_|_GLOBAL_OFFSET_TABLE_$|_ZTVN10__cxxabiv120__function_type_infoE$)')
[ -z "$unresolved" ] || fail "needed from outside the C library: $unresolved"
[ -n "$(symbols --undefined-only "$@")" ] || fail "no undefined symbol at all: not the program's objects"

if [ "$build" = plain ]; then
    needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
    [ "$needed" = "libc.so.6 " ] || fail "libraries to load: $needed"
fi
finish
