#!/usr/bin/env bash
# Cross-builds the Windows executable of one preset (win32 or win64) from
# this source tree, for the image and Wine tests.
set -uo pipefail
preset=$1
case $preset in
    win32) compiler=i686-w64-mingw32-g++ ;;
    win64) compiler=x86_64-w64-mingw32-g++ ;;
esac
if ! command -v "$compiler" >/dev/null; then
    echo "no $compiler: scripts/install-deps installs it"
    [ "${CI-}" = true ] && exit 1 || exit 77
fi
cd "$(dirname "$0")/../.." && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"
