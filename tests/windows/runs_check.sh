# Checks what tests/windows/runs.sh left in a folder; sourced after checks.sh.
#   check_runs OUT USER VIEW CASES
# VIEW is the view of the shell the program has: win32 (a 32-bit program on
# 32-bit Windows), wow64 (a 32-bit program on 64-bit Windows) or win64 (a
# 64-bit program).

# The users of the runs, each with a language that holds the name (Wine
# takes the Windows code pages from it: 1252, 1251, 932); runs.sh gets
# them as USERS.
export USERS="Jürgen:de_DE Дмитрий:ru_RU 田中:ja_JP"

# make_locales DIR: the users' languages, compiled into DIR for LOCPATH
# (UTF-8, as a Linux system has them).
make_locales() {
    local pair locale
    mkdir -p "$1"
    for pair in $USERS; do
        locale=${pair#*:}
        localedef -i "$locale" -f UTF-8 "$1/$locale.UTF-8" >/dev/null 2>&1
        [ -d "$1/$locale.UTF-8" ] || missing "localedef cannot make $locale.UTF-8: scripts/install-deps installs locales"
    done
}

# The scripted shell's script (tests/windows/scripted_shell32) and the
# report it must give: a row each, in report order, each answering one way
# a shell can, mostly to the create query, whose answer the line shows:
# found and created; cut short, without a NUL, over an earlier row's bytes
# or none; whole, with no Unicode path to compare; a file; a Unicode path
# too long for the buffer, or another than the bytes; a control character;
# the buffer filled; nothing written.  The cut ones are a path of 262 bytes,
# cut where Wine's shell cuts it.
long=C:\\$(printf '田%.0s' $(seq 86))x path259=C:\\$(printf '田%.0s' $(seq 85))y
scripted_answers() {
    local cut259 cut258 tab=$'\t'
    cut259=$(LC_ALL=C head -c 259 <<<"$long") cut258=$(LC_ALL=C head -c 258 <<<"$long")
    printf '%s\n' 'A 37 0 1 NUL C:\windows\system32' 'W 37 1 C:\windows\system32' \
        'A 36 1 1 NUL C:\windows' 'W 36 1 C:\windows' "A 16 1 1 RAW $cut259" "A 11 1 1 RAW $cut258" \
        'A 2 1 0 RAW C:\ab' "A 38 1 0 NUL $path259" 'A 43 1 1 NUL C:\windows\win.ini' 'W 43 1 C:\windows\win.ini' \
        'A 5 1 1 NUL C:\docs\田' "W 5 1 C:\\docs\\$(printf '田%.0s' $(seq 90))" \
        'A 12 1 1 NUL C:\windows' 'W 12 1 C:\windows\system32' "A 39 1 1 NUL C:\\a${tab}b" "W 39 1 C:\\a${tab}b" \
        "A 26 1 1 RAW $(printf 'x%.0s' $(seq 260))" \
        'A 46 1 0 NUL C:\users\Public\new' 'W 46 1 C:\users\Public\new' 'A 28 1 1 NUL C:\windows'
}
scripted_report() {
    cat <<EOF
SYSTEM          : C:\\windows\\system32
WINDOWS         : CREATED (C:\\windows)
DESKTOPDIRECTORY: FAILED ()
STARTMENU       : FAILED ()
PROGRAMS        : FAILED ()
PROGRAM_FILES   : FAILED ($path259)
PROGRAM_FILES_COMMON: FAILED (C:\\windows\\win.ini)
PERSONAL        : FAILED ()
MYDOCUMENTS     : FAILED ()
MYPICTURES      : FAILED ()
APPDATA         : FAILED ()
COMMON_APPDATA  : FAILED ()
COMMON_DOCUMENTS: FAILED (C:\\users\\Public\\new)
LOCAL_APPDATA   : FAILED (C:\\windows)
EOF
}

# found_report USER VIEW: the report in a prefix where each folder exists.
found_report() {
    local profile="C:\\users\\$1" programs="C:\\Program Files"
    # WOW64 gives a 32-bit program the folders of 32-bit programs.
    [ "$2" != wow64 ] || programs="C:\\Program Files (x86)"
    cat <<EOF
SYSTEM          : C:\\windows\\system32
WINDOWS         : C:\\windows
DESKTOPDIRECTORY: $profile\\Desktop
STARTMENU       : $profile\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu
PROGRAMS        : $profile\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs
PROGRAM_FILES   : $programs
PROGRAM_FILES_COMMON: $programs\\Common Files
PERSONAL        : $profile\\Documents
MYDOCUMENTS     : FAILED ()
MYPICTURES      : $profile\\Pictures
APPDATA         : $profile\\AppData\\Roaming
COMMON_APPDATA  : C:\\ProgramData
COMMON_DOCUMENTS: C:\\users\\Public\\Documents
LOCAL_APPDATA   : $profile\\AppData\\Local
EOF
}
# with_line ROW LINE: the report on standard input with ROW's line replaced.
# (Through the environment: awk would read the backslashes of -v values.)
with_line() {
    row=$1 line=$2 awk '{ n = length(ENVIRON["row"]) }
        substr($0, 1, n) == ENVIRON["row"] && substr($0, n + 1, 1) ~ /[ :]/ { $0 = ENVIRON["line"] } 1'
}
# per_user_failed USER SHOWN: the report on standard input, each of USER's
# rows FAILED, naming the path with the name as the code page shows it.
per_user_failed() {
    profile="C:\\users\\$1\\" shown="C:\\users\\$2\\" awk '
        n = index($0, ENVIRON["profile"]) {
            $0 = substr($0, 1, n - 1) "FAILED (" ENVIRON["shown"] substr($0, n + length(ENVIRON["profile"])) ")"
        } 1'
}
# as_created: each found line of the report on standard input as a created line.
as_created() { sed -E '/: FAILED \(/! s/^([A-Z_]+ *): (.*)$/\1: CREATED (\2)/'; }

# check_clean RUN OUT: RUN exited 0, wrote nothing on standard error and
# fourteen lines, each ending in CR LF.
check_clean() {
    local run=$1 out=$2/$1
    [ "$(cat "$out.status" 2>/dev/null)" = 0 ] || fail "$run: exit status $(cat "$out.status" 2>&1)"
    [ -f "$out.err" ] && [ ! -s "$out.err" ] || fail "$run: standard error: $(cat "$out.err" 2>&1)"
    [ "$(grep -c $'\r$' "$out.out")" = 14 ] && [ "$(wc -l <"$out.out")" = 14 ] ||
        fail "$run: not fourteen lines ending in CR LF"
}
# check_file RUN WANT OUT: RUN is clean and its report is WANT, line for line.
check_file() {
    check_clean "$1" "$3"
    [ "$(tr -d '\r' <"$3/$1.out")" = "$2" ] || fail "$1:"$'\n'"$(diff <(echo "$2") <(tr -d '\r' <"$3/$1.out"))"
}
# check_first RUN WANT OUT: as check_file, but a line may also be WANT's as
# a created line: the first run of a new user creates the user's folders.
check_first() {
    local i line wanted got
    check_clean "$1" "$3"
    got=$(tr -d '\r' <"$3/$1.out")
    for i in $(seq 14); do
        line=$(sed -n "${i}p" <<<"$got") wanted=$(sed -n "${i}p" <<<"$2")
        [ "$line" = "$wanted" ] || [ "$line" = "$(as_created <<<"$wanted")" ] || fail "$1: line $i: $line"
    done
}
# check_error RUN MESSAGE OUT: RUN exited 1 with this one line on standard
# error.
check_error() {
    local run=$1 out=$3/$1
    [ "$(cat "$out.status" 2>/dev/null)" = 1 ] || fail "$run: exit status $(cat "$out.status" 2>&1), want 1"
    [ "$(cat "$out.err" 2>/dev/null)" = "folderreport: write error: $2"$'\r' ] ||
        fail "$run: standard error: $(cat "$out.err" 2>&1)"
}

check_runs() {
    local out=$1 user=$2 view=$3 cases=" $4 "
    local found i pair
    found=$(found_report "$user" "$view")
    if [[ $cases == *" basic "* ]]; then
        # A new prefix: every folder but MYDOCUMENTS, which has no file-system
        # path, is found; the failed line right after PERSONAL's shows no path.
        check_file first "$found" "$out"
        # The two deleted folders are created again, and reported so.
        check_file second "$(with_line MYPICTURES "MYPICTURES      : CREATED (C:\\users\\$user\\Pictures)" <<<"$found" |
            with_line COMMON_DOCUMENTS "COMMON_DOCUMENTS: CREATED (C:\\users\\Public\\Documents)")" "$out"
        [ "$(wc -l <"$out/recreated")" = 2 ] || fail "not created again: $(cat "$out/recreated")"
        # Later runs, into a file or a pipe, give the first run's very bytes.
        check_file third "$found" "$out"
        cmp -s "$out/first.out" "$out/third.out" || fail "third run differs from the first"
        [ "$(cat "$out/piped.status")" = 0 ] && [ ! -s "$out/piped.err" ] && cmp -s "$out/first.out" "$out/piped.out" ||
            fail "piped run: status $(cat "$out/piped.status"), $(cat "$out/piped.err"), or output unlike the first"
        # The null device is no console: the report goes there like into a file.
        [ "$(cat "$out/nul.status")" = 0 ] && [ ! -s "$out/nul.err" ] && [ ! -s "$out/nul.out" ] ||
            fail "> NUL: status $(cat "$out/nul.status"), $(cat "$out/nul.err" "$out/nul.out")"
        # Wine found the manifest in the program and parsed it without
        # complaint, UTF-8 as the code page among it.
        grep -q 'get_manifest_in_module looking for res #0001 in module .*folderreport.exe' "$out/manifest.log" &&
            grep -q 'parse_assembly_elem' "$out/manifest.log" &&
            grep -q 'parse_settings_elem got L"activeCodePage" L"UTF-8"' "$out/manifest.log" || fail "the manifest was not read"
        ! grep -E ':(fixme|err|warn):actctx:' "$out/manifest.log" || fail "Wine complained about the manifest"
    fi
    # Every name, under every language, in its own UTF-8 bytes: in a file,
    # and with its own characters on a terminal (which shows no CR).
    i=0
    for pair in $USERS; do
        i=$((i + 1))
        if [[ $cases == *" users "* ]]; then
            check_first "user$i-first" "$(found_report "${pair%:*}" "$view")" "$out"
            check_file "user$i-second" "$(found_report "${pair%:*}" "$view")" "$out"
        fi
        if [[ $cases == *" console "* ]]; then
            [ "$(cat "$out/user$i-console.status" 2>/dev/null)" = 0 ] || fail "user$i-console: status $(cat "$out/user$i-console.status" 2>&1)"
            [ "$(sed 's/ *$//' "$out/user$i-console.out" | grep -v '^$')" = "$(found_report "${pair%:*}" "$view")" ] ||
                fail "user$i-console: the terminal shows"$'\n'"$(cat "$out/user$i-console.out")"
            # Fourteen writes to the console, each a line ending in CR LF as in
            # a file, and nothing written to standard error.
            trace=$out/user$i-console.trace
            [ "$(grep -c ':console:WriteConsoleW (' "$trace")" = 14 ] &&
                [ "$(grep -c ':console:WriteConsoleW (.*\\r\\n",' "$trace")" = 14 ] && ! grep -q -v ':console:' "$trace" ||
                fail "user$i-console: the console calls:"$'\n'"$(grep ':console:WriteConsoleW' "$trace"; grep -v ':console:' "$trace")"
        fi
    done
    if [[ $cases == *" ansi "* ]]; then
        # In a code page that cannot hold the name, every row of the user
        # fails rather than give a path with '?' or another user's folder.
        check_file ansi-tanaka-de "$(found_report 田中 "$view" | per_user_failed 田中 '??')" "$out"
        check_first jurgen "$(found_report Jurgen "$view")" "$out"
        check_file ansi-juergen-ru "$(found_report Jürgen "$view" | per_user_failed Jürgen Jurgen)" "$out"
        # Where it can, the path comes in that code page: ü is 0xFC in 1252.
        check_file ansi-juergen-de "$(found_report "$(printf 'J\374rgen')" "$view")" "$out"
    fi
    if [[ $cases == *" paths "* ]]; then
        check_file file-in-way "$(with_line MYPICTURES "MYPICTURES      : FAILED (C:\\users\\$user\\Pictures)" <<<"$found")" "$out"
        check_file doc-259 "$(with_line PERSONAL "PERSONAL        : CREATED ($(cat "$out/doc-259.path"))" <<<"$found")" "$out"
        [ "$(wc -c <"$out/doc-259.path")" = 259 ] || fail "doc-259: the path is $(wc -c <"$out/doc-259.path") bytes"
        check_file doc-260 "$(with_line PERSONAL "PERSONAL        : FAILED ()" <<<"$found")" "$out"
        [ -f "$out/doc-260.made" ] || fail "doc-260: the shell made no folder, where the manual says Wine's does"
        # A symlink leading nowhere, which Wine's shell says it created:
        # whole, it is named; too long, the shell's bytes come cut, and no
        # byte of them shows, in its row or another.
        check_file link-259 "$(with_line STARTMENU "STARTMENU       : FAILED ($(cat "$out/link-259.path"))" <<<"$found")" "$out"
        check_file link-262 "$(with_line STARTMENU "STARTMENU       : FAILED ()" <<<"$found")" "$out"
        for run in doc-260:260 link-259:259 link-262:262; do
            [ "$(wc -c <"$out/${run%:*}.path")" = "${run#*:}" ] || fail "${run%:*}: the path is $(wc -c <"$out/${run%:*}.path") bytes"
        done
    fi
    if [[ $cases == *" scripted "* ]]; then
        check_file scripted "$(scripted_report)" "$out"
    fi
    if [[ $cases == *" errors "* ]]; then
        # The C runtime's own message for each error: a pipe whose reader is
        # gone is one msvcrt has no errno of its own for.
        if [ -f "$out/full.status" ]; then
            check_error full "No space left on device" "$out"
        else
            skip_case full "needs root for a mount namespace"
        fi
        check_error read-only "Bad file descriptor" "$out"
        check_error closed "Bad file descriptor" "$out"
        check_error pipe "Invalid argument" "$out"
    fi
}
