# Wine's loaders, whether this machine runs the 32-bit one, and how a fresh
# prefix is made.  Sourced by scripts/wine-run (in the guest of
# scripts/guest-run too), scripts/install-deps, tests/windows/wine_test.sh
# and .ci/run; POSIX sh.
wine32=/usr/lib/wine/wine wine64=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver

# runs_32bit: true when this machine runs 32-bit code, as seen by running
# the 32-bit loader (a kernel built or booted without it refuses to exec it).
runs_32bit() { "$wine32" --version >/dev/null 2>&1; }

# new_prefix LOADER DIR: makes a fresh Wine prefix at DIR with LOADER (the
# 32-bit wine for 32-bit Windows, wine64 for 64-bit Windows; WINEARCH as the
# caller exported it) and exports WINEPREFIX for it.
#
# The first process in a new prefix starts wineboot to set the prefix up,
# but waits for it for two to five minutes only, and then carries on while
# wineboot is still at work: on a slow or loaded machine the prefix is not
# ready then.  So that first process does nothing else, and the prefix is
# ready when no wineboot runs any more.  Its wineserver is kept running, so
# that later runs find the prefix booted rather than boot it again; stop it
# with `wineserver -k`.
new_prefix() {
    export WINEPREFIX="$2"
    mkdir -p "$WINEPREFIX" &&
        "$wineserver" -p &&
        "$1" wineboot.exe --help >/dev/null 2>&1
    while grep -qs 'wineboot[.]exe' /proc/[0-9]*/cmdline; do sleep 1; done
    [ -d "$WINEPREFIX/drive_c/windows/system32" ]
}
