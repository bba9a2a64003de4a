#!/usr/bin/env bash
# The release is reproducible: scripts/release, run twice from this source
# into two build folders, from two working directories, under two umasks, at
# least a second apart and, when the suite runs as root, as two users, gives
# byte-identical artifacts, and its SHA256SUMS checks.  The first release
# stays in OUT/a/release for the package tests.
#   release_test.sh SOURCE_DIR OUT
set -uo pipefail
source "$(dirname "$0")/checks.sh"
source_dir=$1 out=$2
require cpack dpkg-deb dpkg-shlibdeps i686-w64-mingw32-g++ sha256sum
rm -rf "$out"
mkdir -p "$out/a" "$out/b" "$out/cwd-a" "$out/cwd-b"
release() {  # release NAME UMASK [USER-COMMAND...]
    local name=$1 mask=$2
    shift 2
    (cd "$out/cwd-$name" && umask "$mask" && "$@" "$source_dir/scripts/release" "$out/$name") >"$out/$name.log" 2>&1 ||
        fail "release $name: $(cat "$out/$name.log")"
}
release a 022
sleep 1
if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$out/b" "$out/cwd-b"
    release b 077 setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$out/b"
else
    release b 077
fi

files=$(cd "$out/a/release" && ls)
[ "$files" = "$(cd "$out/b/release" && ls)" ] || fail "different artifacts: $files / $(ls "$out/b/release")"
[ "$(wc -l <<<"$files")" = 4 ] || fail "artifacts: $files"
for file in $files; do
    cmp "$out/a/release/$file" "$out/b/release/$file" >/dev/null && continue
    if command -v diffoscope >/dev/null; then
        fail "$file differs: $(diffoscope "$out/a/release/$file" "$out/b/release/$file" | head -n 40)"
    else
        fail "$file differs: $(cmp "$out/a/release/$file" "$out/b/release/$file")"
    fi
done
(cd "$out/a/release" && sha256sum -c --quiet SHA256SUMS) || fail "sha256sum -c"
finish
