#!/usr/bin/env bash
# Cross-builds the Windows executable of one preset (win32 or win64) from
# this source tree, for the image and Wine tests.
set -uo pipefail
source "$(dirname "$0")/../checks.sh"
preset=$1
case $preset in
    win32) compiler=i686-w64-mingw32-g++ ;;
    win64) compiler=x86_64-w64-mingw32-g++ ;;
esac
command -v "$compiler" >/dev/null || missing "no $compiler: scripts/install-deps installs it"
cd "$(dirname "$0")/../.." && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"
