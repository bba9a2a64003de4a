#!/usr/bin/env bash
# The release is reproducible: scripts/release, run twice from this source
# into two build folders, from two working directories, under two umasks, at
# least a second apart, from two copies of the source and, when the suite
# runs as root, as two users, gives byte-identical artifacts, and its
# SHA256SUMS checks.  The first release stays in OUT/a/release for the
# package tests; the second is made in a temporary folder of its own, which
# the second user can reach wherever this tree lies.
#   release_test.sh SOURCE_DIR BINARY_DIR OUT
set -uo pipefail
source "$(dirname "$0")/checks.sh"
source_dir=$(realpath "$1") binary_dir=$(realpath "$2") out=$3
require cpack dpkg-deb dpkg-shlibdeps mandoc i686-w64-mingw32-g++ x86_64-w64-mingw32-g++ sha256sum python3
rm -rf "$out"
mkdir -p "$out/a" "$out/cwd-a"
second=$(mktemp -d -t folderreport-release-XXXXXX)
chmod 755 "$second"
trap 'rm -rf "$second"' EXIT
mkdir "$second/b" "$second/cwd-b" "$second/source"
# The source as it stands, with its history (the release's time stamp is
# the last commit's), without the build trees.
tar -C "$source_dir" --exclude=./build --exclude="./$(realpath --relative-to="$source_dir" "$binary_dir")" \
    -cf - . | tar -C "$second/source" -xf -
release() {  # release SOURCE OUT CWD UMASK [USER-COMMAND...]
    local source=$1 to=$2 cwd=$3 mask=$4
    shift 4
    (cd "$cwd" && umask "$mask" && "$@" "$source/scripts/release" "$to") >"$to.log" 2>&1 ||
        fail "release into $to: $(cat "$to.log")"
}
release "$source_dir" "$out/a" "$out/cwd-a" 022
sleep 1
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$second"
    release "$second/source" "$second/b" "$second/cwd-b" 077 setpriv --reuid=65534 --regid=65534 --clear-groups \
        env HOME="$second/b"
else
    release "$second/source" "$second/b" "$second/cwd-b" 077
fi

files=$(cd "$out/a/release" && ls)
[ "$files" = "$(cd "$second/b/release" && ls)" ] || fail "different artifacts: $files / $(ls "$second/b/release")"
[ "$(wc -l <<<"$files")" = 5 ] || fail "artifacts: $files"
for file in $files; do
    cmp "$out/a/release/$file" "$second/b/release/$file" >/dev/null && continue
    if command -v diffoscope >/dev/null; then
        fail "$file differs: $(diffoscope "$out/a/release/$file" "$second/b/release/$file" | head -n 40)"
    else
        fail "$file differs: $(cmp "$out/a/release/$file" "$second/b/release/$file")"
    fi
done
(cd "$out/a/release" && sha256sum -c --quiet SHA256SUMS) || fail "sha256sum -c"
finish
