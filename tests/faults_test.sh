#!/usr/bin/env bash
# The built program under faults and bad input, each case in a fresh
# temporary home.  Every case: no crash and no sanitizer report, status 0
# (or 1 exactly when the report could not be written, with one line on
# standard error and nothing else), fourteen well-formed lines in table
# order, and nothing created but the folders the report names.
#   faults_test.sh EXE FOLDER_LIST
set -uo pipefail
source "$(dirname "$0")/checks.sh"
require python3 strace
root=$(mktemp -d -t folderreport-faults-XXXXXX)
chmod 755 "$root"
trap 'chmod -R u+rwx "$root"; rm -rf "$root"' EXIT
cd "$root"
# A copy the unprivileged user can reach, wherever the build tree lies.
exe=$root/folderreport folder_list=$2
cp "$1" "$exe"

# Cases about file modes run as a user whom the modes bind: as root, that is
# nobody; as anyone else, the user running the tests.
if [ "$(id -u)" -eq 0 ]; then
    unprivileged=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    "${unprivileged[@]}" true || missing "setpriv cannot run a program as nobody"
else
    unprivileged=()
fi
# as_root CASE WHY: true when the case, which needs root for WHY, can run;
# otherwise says why it is skipped (a failure in CI).
as_root() {
    [ "$(id -u)" -eq 0 ] && return 0
    skip_case "$1" "needs root $2"
    return 1
}
# own_home [DIR...]: gives the case's home, and each DIR, to the unprivileged user.
own_home() { [ "$(id -u)" -ne 0 ] || chown -R 65534:65534 "$home" "$@"; }

# The rows' names in report order, from the program's own table.
mapfile -t names < <("$folder_list" | cut -d ' ' -f 1)
[ "${#names[@]}" = 14 ] || { echo "the folder list gives ${#names[@]} rows"; exit 1; }

# newcase NAME: a fresh home at $home (made, empty) for the next case.
newcase() {
    name=$1
    home=$root/$name/home
    mkdir -p "$home"
}

# check [STATUS]: runs "$@"-less checks on $out/$err/$status after a run.
check() {
    local want=${1:-0} i=0 line path
    reported=()
    [ "$status" = "$want" ] || fail "exit status $status, want $want"
    if [ "$want" = 1 ]; then
        [ "$(wc -l <"$err")" = 1 ] && grep -q '^folderreport: write error: ' "$err" || fail "stderr: $(cat "$err")"
        return
    fi
    [ ! -s "$err" ] || fail "stderr: $(head -c 2000 "$err")"
    [ "$(wc -l <"$out")" = 14 ] || fail "$(wc -l <"$out") lines"
    while IFS= read -r line && [ "$i" -lt 14 ]; do
        printf -v field '%-16s: ' "${names[i]}"
        case $line in
            "$field"/*) path=${line#"$field"} ;;
            "${field}CREATED (/"*")") path=${line#"${field}CREATED ("}; path=${path%)} ;;
            "${field}FAILED ()" | "${field}FAILED (/"*")") path= ;;
            *) fail "line $((i + 1)): $line"; path= ;;
        esac
        [ -z "$path" ] || [ -d "$path" ] || fail "reported folder is missing: $path"
        [ -z "$path" ] || reported+=("$path")
        i=$((i + 1))
    done <"$out"
    # Anything new in the case's directory must be a reported folder or one
    # of its parents.
    find "$root/$name" 2>/dev/null | sort >"$root/after"
    while IFS= read -r new; do
        for path in "${reported[@]}"; do
            [ "$path" = "$new" ] || [ "${path#"$new"/}" != "$path" ] && continue 2
        done
        fail "created outside the report: $new"
    done < <(comm -13 "$root/before" "$root/after")
}

# line_is ROW TEXT: the last report's line for ROW is TEXT after the name.
line_is() { local field; printf -v field '%-16s: ' "$1"; grep -qxF "$field$2" "$out"; }

# snapshot: what the case's directory holds before the program runs.
snapshot() { find "$root/$name" 2>/dev/null | sort >"$root/before"; }

# run [ENV=VALUE...]: the program with only that environment.
# runas ...: the same as the unprivileged user.
run() { runwith "" "$@"; }
runas() { runwith "${unprivileged[*]}" "$@"; }
# UMASK=MASK before either sets the program's umask.
runwith() {
    local -a who=($1); shift
    out=$root/out err=$root/err
    snapshot
    "${who[@]}" sh -c 'umask "$0" && exec "$@"' "${UMASK:-$(umask)}" env -i "$@" "$exe" >"$out" 2>"$err"
    status=$?
}
mode() { stat -c %a "$1"; }

# --- Home -------------------------------------------------------------------
# nobody's password-database home (/nonexistent) stands in when HOME is not
# an absolute path; it does not exist, so per-user rows fail, naming it.
nobody_home=$(getent passwd 65534 | cut -d : -f 6)
for value in unset "" relative/home; do
    newcase "home-${value:-empty}"
    as_root "$name" "to run as nobody, whose home is missing" || continue
    if [ "$value" = unset ]; then runas; else runas HOME="$value"; fi
    check; line_is DESKTOPDIRECTORY "FAILED ($nobody_home/Desktop)" || fail "per-user row: $(sed -n 3p "$out")"
done
# While the home named is missing, nothing is made at all, in it or outside
# it, whichever row would lead there; so it is never created either.
mkdir -p "$root/spelled"; ln -s "$root/spelled/h" "$root/spelled/link"
for spelling in h link; do
    newcase "home-missing-$spelling"
    real=$root/spelled/h
    printf 'XDG_PUBLICSHARE_DIR="$HOME/"\nXDG_PICTURES_DIR="$HOME"\n' >"$home/user-dirs.dirs"
    run HOME="$root/spelled/$spelling" XDG_CONFIG_HOME="$real/.config" XDG_DATA_HOME="$home/data"; check
    [ ! -e "$real" ] || { fail "home was created: $(find "$real" | head -3)"; rm -rf "$real"; }
    line_is STARTMENU "FAILED ($real/.config/menus)" && line_is LOCAL_APPDATA "FAILED ($home/data)" ||
        fail "rows in and outside the missing home: $(sed -n 4p "$out"; sed -n 14p "$out")"
    run HOME="$root/spelled/$spelling" XDG_CONFIG_HOME="$home"; check
    [ ! -e "$real" ] || { fail "home was created through user-dirs.dirs"; rm -rf "$real"; }
    line_is COMMON_DOCUMENTS "FAILED ($root/spelled/$spelling)" || fail "the home itself as a user dir: $(sed -n 13p "$out")"
done
# Paths are printed in canonical form, runs of '/' and a trailing '/' gone.
newcase home-slashes; mkdir "$home/cfg"
run HOME="$home//" XDG_CONFIG_HOME="$home//cfg/" XDG_DATA_HOME="$home/data///"; check
grep -q "DESKTOPDIRECTORY: CREATED ($home/Desktop)" "$out" && grep -q "APPDATA         : $home/cfg$" "$out" &&
    grep -q "STARTMENU       : CREATED ($home/cfg/menus)" "$out" && grep -q "LOCAL_APPDATA   : $home/data$" "$out" ||
    fail "paths not canonical: $(cat "$out")"
printf 'XDG_PICTURES_DIR="$HOME//pics//"\nXDG_PUBLICSHARE_DIR="$HOME/"\n' >"$home/cfg/user-dirs.dirs"
run HOME="$home/" XDG_CONFIG_HOME="$home/cfg"; check
grep -q "MYPICTURES      : CREATED ($home/pics)" "$out" && grep -q "COMMON_DOCUMENTS: $home$" "$out" ||
    fail "user dirs not canonical: $(cat "$out")"
newcase home-file; echo x >"$home/file"; run HOME="$home/file"; check
newcase home-read-only; mkdir -p "$home/.config"; own_home; chmod 555 "$home"
runas HOME="$home"; check
grep -q "APPDATA         : $home/.config$" "$out" || fail "existing folder not found"
line_is PERSONAL "FAILED ($home/Documents)" || fail "created in a read-only home"
# A home behind a folder that may not be searched could be any folder:
# while it is so, nothing is made.
newcase home-unsearchable; mkdir "$home/locked"; own_home; chmod 0 "$home/locked"
runas HOME="$home/locked/../h" XDG_CONFIG_HOME="$home/cfg" XDG_DATA_HOME="$home/data"; check
[ ! -e "$home/cfg" ] && [ ! -e "$home/data" ] || fail "made a folder while the home could not be looked up"

# --- XDG variables ------------------------------------------------------------
long=/$(head -c 10240 /dev/zero | tr '\0' a)
xdg=0
for value in relative "" "$long" "$root/xdg-newline/a"$'\n'"b"; do
    newcase "xdg-$((++xdg))"
    run HOME="$home" XDG_CONFIG_HOME="$value" XDG_DATA_HOME="$value"; check
done
[ ! -e "$root/xdg-newline" ] || fail "created a path with a line feed"

# --- user-dirs.dirs -----------------------------------------------------------
userdirs() {  # userdirs NAME: a case whose user-dirs.dirs is written by the caller to $file
    newcase "$1"; mkdir -p "$home/.config"; file=$home/.config/user-dirs.dirs
}
userdirs ud-empty; : >"$file"; run HOME="$home"; check
userdirs ud-garbage; head -c 65536 /dev/urandom >"$file"; run HOME="$home"; check
# Only the first 64 KiB of the file count.
userdirs ud-10mb
{ echo 'XDG_PICTURES_DIR="$HOME/first"'
  yes '# xdg-user-dirs-update writes comments like this one' | head -c 65400; echo
  echo 'XDG_DOCUMENTS_DIR="$HOME/within"'
  yes '# xdg-user-dirs-update writes comments like this one' | head -c 10000000; echo
  echo 'XDG_DESKTOP_DIR="$HOME/last"'; } >"$file"
run HOME="$home"; check
grep -q "MYPICTURES      : CREATED ($home/first)" "$out" && grep -q "PERSONAL        : CREATED ($home/within)" "$out" ||
    fail "lines within the bound not read"
grep -q "DESKTOPDIRECTORY: CREATED ($home/Desktop)" "$out" || fail "a line past the bound was read"
userdirs ud-long-line
{ printf 'XDG_DESKTOP_DIR="$HOME/'; head -c 1000 /dev/zero | tr '\0' d; echo '"'
  echo 'XDG_PICTURES_DIR="$HOME/after"'; } >"$file"
run HOME="$home"; check; grep -q "DESKTOPDIRECTORY: FAILED ()" "$out" || fail "too long a path not refused"
grep -q "MYPICTURES      : CREATED ($home/after)" "$out" || fail "line after the long one not read"
userdirs ud-unterminated; printf 'XDG_DESKTOP_DIR="$HOME/open\nXDG_PICTURES_DIR="$HOME/p' >"$file"
run HOME="$home"; check; grep -q "CREATED ($home/Desktop)" "$out" || fail "unterminated value used"
userdirs ud-home-no-slash; printf 'XDG_DESKTOP_DIR="$HOME"\nXDG_PICTURES_DIR="$HOMEx"\n' >"$file"
run HOME="$home"; check; grep -q "DESKTOPDIRECTORY: $home$" "$out" && grep -q "CREATED ($home/Pictures)" "$out" || fail "\$HOME values"
userdirs ud-repeated; printf 'XDG_DESKTOP_DIR="$HOME/a"\nXDG_DESKTOP_DIR="$HOME/b"\nXDG_DESKTOP_DIR=bad\n' >"$file"
run HOME="$home"; check; grep -q "CREATED ($home/b)" "$out" || fail "last valid assignment does not win"
userdirs ud-directory; mkdir "$file"; run HOME="$home"; check
userdirs ud-dangling; ln -s "$home/nowhere" "$file"; run HOME="$home"; check
userdirs ud-fifo; mkfifo "$file"; run HOME="$home"; check
# A file that cannot be read may name other folders: its rows fail, and
# nothing is made for them.
userdirs ud-unreadable; echo 'XDG_DESKTOP_DIR="$HOME/secret"' >"$file"; chmod 000 "$file"
own_home; runas HOME="$home"; check
line_is DESKTOPDIRECTORY "FAILED ()" && line_is COMMON_DOCUMENTS "FAILED ()" && [ ! -e "$home/Desktop" ] ||
    fail "an unreadable file taken for none: $(sed -n 3p "$out")"

# --- Paths ----------------------------------------------------------------------
for length in 259 260; do
    userdirs "path-$length"
    base=$root/path-$length/deep
    component=$(head -c 100 /dev/zero | tr '\0' p)
    target=$base; while [ $((${#target} + 101)) -lt "$length" ]; do target=$target/$component; done
    target=$target/$(head -c $((length - ${#target} - 1)) /dev/zero | tr '\0' q)
    [ "${#target}" = "$length" ] || fail "test set-up: ${#target} characters"
    echo "XDG_DESKTOP_DIR=\"$target//\"" >"$file"; run HOME="$home"; check  # a trailing / is no byte of the path
    if [ "$length" = 259 ]; then grep -qF "CREATED ($target)" "$out" || fail "259 characters refused"
    else grep -q "DESKTOPDIRECTORY: FAILED ()" "$out" && [ ! -e "$base" ] || fail "260 characters accepted"; fi
done
newcase path-file; echo x >"$home/Desktop"; run HOME="$home"; check
line_is DESKTOPDIRECTORY "FAILED ($home/Desktop)" || fail "file taken for a folder"
newcase path-loop; ln -s Pictures "$home/Pictures"; ln -s Public "$home/Public"; run HOME="$home"; check
line_is MYPICTURES "FAILED ($home/Pictures)" || fail "symlink loop taken for a folder"

# The machine-wide folders are reported where they exist and never created,
# even for root, nor as a user dir or a user dir's parent, however the path
# reaches them: a root of the case's own, on a tmpfs in a mount namespace,
# lacks them.
newcase machine-wide
if as_root "$name" "for a mount namespace"; then
    "$(dirname "$0")/with_tmpfs.sh" 64m sh -e -c '
        new=$TMPFS/root
        mkdir -p "$new/usr" "$new/proc" "$new/home"
        for dir in lib lib32 lib64 usr/lib usr/lib32 usr/lib64; do
            if [ -L "/$dir" ]; then cp -P "/$dir" "$new/$dir"
            elif [ -d "/$dir" ]; then mkdir -p "$new/$dir" && mount --bind "/$dir" "$new/$dir"; fi
        done
        mount -t proc proc "$new/proc"
        cp "$1" "$new/folderreport"
        mkdir -p "$new/home/.config"; ln -s / "$new/up"
        printf "XDG_%s_DIR=\"%s\"\n" DESKTOP /usr/share PICTURES /opt/Pictures DOCUMENTS /usr/../opt \
            PUBLICSHARE /up/usr/share >"$new/home/.config/user-dirs.dirs"
        env -i HOME=/home "$2" "$new" /folderreport || echo "status $?" >&4
        for dir in opt usr/share; do [ ! -e "$new/$dir" ] || echo "created /$dir" >&4; done
        umount "$new/proc"
        for dir in lib lib32 lib64 usr/lib usr/lib32 usr/lib64; do ! mountpoint -q "$new/$dir" || umount "$new/$dir"; done
        ' sh "$exe" "$(command -v chroot)" >"$root/out" 2>"$root/err" 4>"$root/wrong"
    status=$?
    [ "$status" = 0 ] && [ ! -s "$root/err" ] && [ ! -s "$root/wrong" ] && [ "$(wc -l <"$root/out")" = 14 ] ||
        fail "status $status: $(cat "$root/wrong" "$root/err" "$root/out")"
    out=$root/out
    line_is PROGRAM_FILES "FAILED (/opt)" && line_is COMMON_APPDATA "FAILED (/usr/share)" &&
        line_is DESKTOPDIRECTORY "FAILED (/usr/share)" && line_is MYPICTURES "FAILED (/opt/Pictures)" &&
        line_is PERSONAL "FAILED (/usr/../opt)" && line_is COMMON_DOCUMENTS "FAILED (/up/usr/share)" &&
        line_is STARTMENU "CREATED (/home/.config/menus)" || fail "$(cat "$out")"
fi

# --- Modes and failed creates ---------------------------------------------------
# Under a umask that takes the owner's write or search permission, folders
# are made as `mkdir -p` makes them: a parent keeps the owner's write and
# search permission, and a row whose folder lies inside one that an earlier
# row made closed fails, naming its folder.  A twin made by mkdir -p itself,
# once per row in the rows' order, as the same user under the same umask,
# must end the same: each row made or failed, each folder's mode.  Below a
# folder with a default ACL (MASK:acl), which the kernel applies in the
# umask's place, each folder's ACL too.
newcase umask-0777; own_home; UMASK=0777 runas HOME="$home"; check
grep -v -E '^(SYSTEM|WINDOWS|PROGRAM_FILES_COMMON|MYDOCUMENTS) *:' "$out" | grep -q FAILED &&
    fail "a row failed under umask 0777: $(cat "$out")"
acl() { getfacl --omit-header --absolute-names "$1" 2>&1; }
for setup in 0100 0277 0777 0022:acl 0277:acl; do
    mask=${setup%:acl}
    for pair in Documents:Documents/Pictures Pictures/Documents:Pictures; do
        docs=${pair%:*} pics=${pair#*:}
        newcase "umask-${setup/:/-}-${docs//\//-}"; twin=$root/$name-twin; mkdir "$home/cfg" "$twin"; own_home "$twin"
        if [ "$mask" != "$setup" ] && ! setfacl -d -m u::rwx,g::rwx,o::rx "$home" "$twin"; then
            skip_case "$name" "no default ACLs here (setfacl, which scripts/install-deps installs)"; continue
        fi
        printf 'XDG_DOCUMENTS_DIR="$HOME/%s"\nXDG_PICTURES_DIR="$HOME/%s"\n' "$docs" "$pics" >"$home/cfg/user-dirs.dirs"
        UMASK=$mask runas HOME="$home" XDG_CONFIG_HOME="$home/cfg"; check
        ours=$(for row in PERSONAL MYPICTURES; do grep -q "^$row *: FAILED" "$out" && echo failed || echo made; done)
        theirs=$("${unprivileged[@]}" sh -c 'umask "$0" && cd "$1" && for dir in "$2" "$3"; do
                     mkdir -p "$dir" 2>/dev/null && echo made || echo failed; done' "$mask" "$twin" "$docs" "$pics")
        [ "$ours" = "$theirs" ] || fail "rows made or failed: "$ours", mkdir -p: "$theirs
        for dir in Documents Pictures Documents/Pictures Pictures/Documents; do
            [ "$(mode "$home/$dir" 2>&1)" = "$(mode "$twin/$dir" 2>&1 | sed "s|$twin|$home|g")" ] ||
                fail "$dir: mode $(mode "$home/$dir" 2>&1), mkdir -p's $(mode "$twin/$dir" 2>&1)"
            [ "$mask" = "$setup" ] || [ "$(acl "$home/$dir")" = "$(acl "$twin/$dir" | sed "s|$twin|$home|g")" ] ||
                fail "$dir: ACL $(acl "$home/$dir"), mkdir -p's $(acl "$twin/$dir")"
        done
    done
done
# A create that fails part way leaves none of the folders it made.
newcase create-fails; echo x >"$home/file"; mkdir "$home/cfg"
printf 'XDG_DESKTOP_DIR="$HOME/new/deeper/../../file/Desk"\n' >"$home/cfg/user-dirs.dirs"; own_home
runas HOME="$home" XDG_CONFIG_HOME="$home/cfg"; check
line_is DESKTOPDIRECTORY "FAILED ($home/new/deeper/../../file/Desk)" || fail "$(sed -n 3p "$out")"
[ ! -e "$home/new" ] || fail "left behind: $(find "$home/new")"
# ... and never one that is no longer the folder it made: here another
# process moves the first folder away and makes its own while the create
# is held (by strace) at its next mkdir, which then fails.
newcase create-fails-swapped; printf 'XDG_DESKTOP_DIR="$HOME/a/b/Desk"\n' >"$home/user-dirs.dirs"; snapshot
(for _ in $(seq 1000); do [ -d "$home/a" ] && break; sleep 0.01; done; mv "$home/a" "$home/a.moved" && mkdir "$home/a") &
env -i HOME="$home" XDG_CONFIG_HOME="$home" ASAN_OPTIONS=detect_leaks=0 \
    strace -o /dev/null -P "$home/a/b" -e inject=mkdir:error=EACCES:delay_enter=3000000 "$exe" >"$root/out"
wait
out=$root/out
line_is DESKTOPDIRECTORY "FAILED ($home/a/b/Desk)" || fail "$(sed -n 3p "$out")"
[ -d "$home/a" ] || fail "removed the other process's folder"

# --- Output ---------------------------------------------------------------------
newcase out-closed; snapshot; env -i HOME="$home" "$exe" >&- 2>"$root/err"; status=$?; err=$root/err; check 1
newcase out-full; snapshot; env -i HOME="$home" "$exe" >/dev/full 2>"$root/err"; status=$?; check 1
newcase out-read-only; snapshot; env -i HOME="$home" "$exe" 1</dev/null 2>"$root/err"; status=$?; check 1
grep -q 'Bad file descriptor' "$err" || fail "stderr: $(cat "$err")"
newcase out-pipe; snapshot; err=$root/err
"$(dirname "$0")/closed_pipe.py" "$err" env -i HOME="$home" "$exe"
status=$?; check 1
grep -q 'Broken pipe' "$err" || fail "stderr: $(cat "$err")"
# A file-size limit: the signal it raises is a write error like any other.
newcase out-fsize; snapshot; err=$root/err
# Standard error goes through a pipe, which the limit does not bind.
(ulimit -f 0; exec env -i HOME="$home" "$exe" >"$root/fsize") 2>&1 | cat >"$err"; status=${PIPESTATUS[0]}; check 1
grep -q 'File too large' "$err" || fail "stderr: $(cat "$err")"

# An error that only closing the output reports (as NFS does for a full
# quota): strace makes the program's close of standard output fail.
# (LeakSanitizer, in the sanitizer build, cannot work under strace.)
newcase out-close; snapshot; err=$root/err
traced=(env -i HOME="$home" ASAN_OPTIONS=detect_leaks=0 strace)
"${traced[@]}" -o "$root/closes" -e trace=close "$exe" >/dev/null
closes=$(grep -E '^close\(' "$root/closes" | grep -n -m 1 '^close(1)' | cut -d : -f 1)
if [ -z "$closes" ]; then
    fail "standard output is never closed: $(cat "$root/closes")"
else
    "${traced[@]}" -o /dev/null -e inject=close:error=EIO:when="$closes" "$exe" >"$root/out" 2>"$err"
    status=$?; check 1
    grep -q 'Input/output error' "$err" || fail "stderr: $(cat "$err")"
fi

# --- Arguments --------------------------------------------------------------------
newcase args; run HOME="$home"; run HOME="$home"; cp "$out" "$root/args-plain"
for args in none many empty invalid-utf8; do
    case $args in
        none) set -- ;;
        many) set -- $(seq 10000) ;;
        empty) set -- "" "" "" ;;
        invalid-utf8) set -- $'\xff\xfe' $'\xc3\x28' $'\xed\xa0\x80' ;;
    esac
    snapshot; env -i HOME="$home" "$exe" "$@" >"$out" 2>"$err"; status=$?
    check; cmp -s "$out" "$root/args-plain" || fail "arguments ($args) changed the report"
done

# --- Stack ------------------------------------------------------------------------
# Buffers are static: a first run in a new home needs no more than a few KiB
# of stack over what a program that only prints fourteen lines (the folder
# list) needs with the same environment, measured here with address
# randomization off, so that each need is exact.
newcase stack
floor=$(for kib in $(seq 4 256); do
            if setarch -R prlimit --stack=$((kib * 1024)) env -i HOME="$home" "$folder_list" >/dev/null 2>&1; then echo "$kib"; break; fi
        done 2>/dev/null)
if [ -z "$floor" ]; then
    skip_case "$name" "the folder list runs under no stack limit with address randomization off (setarch -R)"
else
    runwith "setarch -R prlimit --stack=$(((floor + 4) * 1024))" HOME="$home"; check
fi

# --- Load -------------------------------------------------------------------------
# Eight runs at once in one empty home: none loses a race.  Eight at once
# with a missing home, five times over: no try leaves the home behind.
for load in empty missing; do
    newcase "load-$load"; tries=1
    [ "$load" = empty ] || { home=$home/missing; tries=5; }
    for try in $(seq "$tries"); do
        snapshot
        for i in 1 2 3 4 5 6 7 8; do env -i HOME="$home" "$exe" >"$root/load-$i" 2>&1 & done
        wait
        for i in 1 2 3 4 5 6 7 8; do
            out=$root/load-$i err=/dev/null status=0
            check
            if [ "$load" = empty ] &&
                grep -E '^(DESKTOPDIRECTORY|STARTMENU|PROGRAMS|PERSONAL|MYPICTURES|APPDATA|COMMON_DOCUMENTS|LOCAL_APPDATA) *: FAILED' "$out"; then
                fail "run $i lost a race"
            fi
        done
        if [ "$load" = missing ] && [ -e "$home" ]; then
            fail "try $try left the home behind: $(find "$home" | head -3)"; rm -rf "$home"
        fi
    done
done
for d in Desktop Documents Pictures Public .config/menus .local/share/applications; do
    [ -d "$root/load-empty/home/$d" ] || fail "$d missing after concurrent runs"
done
# While another process removes the home and makes it again, over and over,
# eight runs at once as another user, each mkdir slowed by strace, never
# make it: the remover's own mkdir would then find it there, its owner
# telling whose it is.  It lies in a folder open to all, as /tmp is.
newcase load-removed; chmod 1777 "$root/$name"
(while [ ! -e "$root/stop" ]; do
     rm -rf "$home" 2>/dev/null
     [ ! -e "$home" ] || continue  # a run was making a folder in it
     sleep 0.01
     mkdir -m 777 "$home" 2>/dev/null || stat -c %U "$home" >>"$root/intruder"
     sleep 0.01
 done) &
remover=$! runs=()
for i in 1 2 3 4 5 6 7 8; do
    "${unprivileged[@]}" env -i HOME="$home" ASAN_OPTIONS=detect_leaks=0 \
        strace -o /dev/null -e inject=mkdir:delay_enter=20000 "$exe" >"$root/load-$i" 2>&1 &
    runs+=($!)
done
for i in 1 2 3 4 5 6 7 8; do
    wait "${runs[i - 1]}" && [ "$(wc -l <"$root/load-$i")" = 14 ] || fail "run $i: $(head -c 500 "$root/load-$i")"
done
touch "$root/stop"; wait "$remover"
[ ! -s "$root/intruder" ] || fail "a run made the home: owned by $(sort -u "$root/intruder" | tr '\n' ' ')"

finish
