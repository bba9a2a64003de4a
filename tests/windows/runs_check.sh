# Checks what tests/windows/runs.sh left in a folder; sourced after checks.sh.
#   check_runs OUT USER
check_runs() {
    local out=$1 profile="C:\\users\\$2" run
    local found="SYSTEM          : C:\\windows\\system32
WINDOWS         : C:\\windows
DESKTOPDIRECTORY: $profile\\Desktop
STARTMENU       : $profile\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu
PROGRAMS        : $profile\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs
PROGRAM_FILES   : C:\\Program Files
PROGRAM_FILES_COMMON: C:\\Program Files\\Common Files
PERSONAL        : $profile\\Documents
MYDOCUMENTS     : FAILED ()
MYPICTURES      : $profile\\Pictures
APPDATA         : $profile\\AppData\\Roaming
COMMON_APPDATA  : C:\\ProgramData
COMMON_DOCUMENTS: C:\\users\\Public\\Documents
LOCAL_APPDATA   : $profile\\AppData\\Local"
    for run in first second third piped; do
        [ "$(cat "$out/$run.status" 2>/dev/null)" = 0 ] || fail "$run run: exit status $(cat "$out/$run.status" 2>&1)"
        [ -f "$out/$run.err" ] && [ ! -s "$out/$run.err" ] || fail "$run run: standard error: $(cat "$out/$run.err" 2>&1)"
    done
    # A new prefix: every folder but MYDOCUMENTS, which has no file-system
    # path, is found; the failed line right after PERSONAL's shows no path.
    [ "$(grep -c $'\r$' "$out/first.out")" = 14 ] && [ "$(wc -l <"$out/first.out")" = 14 ] ||
        fail "first run: not fourteen lines ending in CR LF"
    [ "$(tr -d '\r' <"$out/first.out")" = "$found" ] || fail "first run:"$'\n'"$(cat "$out/first.out")"
    # The two deleted folders are created again, and reported so.
    local second=${found/"MYPICTURES      : $profile\\Pictures"/"MYPICTURES      : CREATED ($profile\\Pictures)"}
    second=${second/"COMMON_DOCUMENTS: C:\\users\\Public\\Documents"/"COMMON_DOCUMENTS: CREATED (C:\\users\\Public\\Documents)"}
    [ "$(tr -d '\r' <"$out/second.out")" = "$second" ] || fail "second run:"$'\n'"$(cat "$out/second.out")"
    [ "$(wc -l <"$out/recreated")" = 2 ] || fail "not created again: $(cat "$out/recreated")"
    # Later runs, into a file or a pipe, give the first run's very bytes.
    cmp -s "$out/first.out" "$out/third.out" || fail "third run differs from the first"
    cmp -s "$out/first.out" "$out/piped.out" || fail "piped run differs from the first"
    # Wine found the manifest in the program and parsed it without complaint.
    grep -q 'get_manifest_in_module looking for res #0001 in module .*folderreport.exe' "$out/manifest.log" &&
        grep -q 'parse_assembly_elem' "$out/manifest.log" || fail "the manifest was not read"
    ! grep -E ':(fixme|err|warn):actctx:' "$out/manifest.log" || fail "Wine complained about the manifest"
}
