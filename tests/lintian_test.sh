#!/usr/bin/env bash
# Debian's package checker finds no error and no warning in the release's
# .deb (info and pedantic notes may remain; CONTRIBUTING.md names them).
#   lintian_test.sh RELEASE_DIR
set -uo pipefail
source "$(dirname "$0")/checks.sh"
require lintian
debs=("$1"/*.deb)
[ -f "${debs[0]}" ] || missing "no .deb in $1: the release.reproducible test makes it"
if report=$(lintian --fail-on error,warning "${debs[@]}" 2>&1); then
    echo "$report"
else
    fail "lintian: $report"
fi
finish
