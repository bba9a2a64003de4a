# The runs that prove a Windows folderreport.exe against a real shell, all in
# one Wine prefix; tests/windows/runs_check.sh checks what they leave.  POSIX
# sh, for the guest too.  Needs WINE (scripts/wine-run, with WINDOWS_VIEW for
# the Windows it makes), WINEPREFIX, PROGRAM, OUT (where each run's output,
# standard error and status go), USERS (the users' NAME:LANGUAGE pairs, from
# runs_check.sh), LOCALES (their languages,
# compiled), WITH_TMPFS and CLOSED_PIPE (tests/with_tmpfs.sh and
# tests/closed_pipe.py), SHELL32 and ANSWERS (the scripted shell and its
# script, from runs_check.sh) and CASES, the groups of runs to make:
#   basic    a first run, a second after two of the user's folders were
#            deleted, a third, one through a pipe, one into NUL from cmd,
#            and one that traces how Wine reads the program's manifest
#   users    each of USERS under the language, twice, into a file
#   console  the same users on a terminal (a tmux pane), with Wine's trace
#            of what the program writes to the console
#   ansi     a copy whose manifest asks for no UTF-8, as on Windows before
#            10 1903: names that its code page cannot hold, and a user Jurgen
#            beside Jürgen, whose name a best fit would turn into his
#   paths    a file where Pictures should be; Documents moved to a path of
#            259 and of 260 bytes; the Start Menu moved to a symlink leading
#            nowhere at a path of 259 and of 262 bytes
#   scripted the program beside the scripted shell, in the real one's place
#   errors   standard output on a full disk (as root), read-only, closed, a
#            pipe whose reader is gone
user=$(id -un)
base="LANG=C.UTF-8 LOCPATH=$LOCALES"
has() { case " $CASES " in *" $1 "*) return 0 ;; esac; return 1; }

launch() {  # launch PROGRAM [ENV=VALUE...]: the program as the prefix's user
    program=$1
    shift
    env USER="$user" $base "$@" "$WINE" "$program"
}
run() {  # run NAME PROGRAM [ENV=VALUE...]
    name=$1
    shift
    launch "$@" >"$OUT/$name.out" 2>"$OUT/$name.err"
    echo $? >"$OUT/$name.status"
}
# console NAME ENV=VALUE...: what a terminal of 250 columns shows of a run,
# and Wine's trace of its console calls (standard error), which shows the
# characters written, line ends included.
console() {
    name=$1
    shift
    rm -f "$OUT/$name.status"
    tmux -u -L folderreport -f /dev/null new-session -d -x 250 -y 40 \
        "env $base $* WINEDEBUG=-all,+console '$WINE' '$PROGRAM' 2>'$OUT/$name.trace'; echo \$? >'$OUT/$name.status'; sleep 3600"
    while [ ! -f "$OUT/$name.status" ] && tmux -L folderreport has-session 2>/dev/null; do sleep 1; done
    tmux -L folderreport capture-pane -p >"$OUT/$name.out"
    tmux -L folderreport kill-server
}
profile=$WINEPREFIX/drive_c/users/$user
shellFolders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'

if has basic; then
    run first "$PROGRAM"
    rm -rf "$profile/Pictures" "$WINEPREFIX/drive_c/users/Public/Documents"
    run second "$PROGRAM"
    for folder in "users/$user/Pictures" users/Public/Documents; do
        if [ -d "$WINEPREFIX/drive_c/$folder" ]; then echo "$folder"; fi
    done >"$OUT/recreated"
    run third "$PROGRAM"
    { launch "$PROGRAM" 2>"$OUT/piped.err"; echo $? >"$OUT/piped.status"; } | cat >"$OUT/piped.out"
    env USER="$user" $base "$WINE" cmd /c "Z:$(printf '%s' "$PROGRAM" | tr / '\\') > NUL" >"$OUT/nul.out" 2>"$OUT/nul.err"
    echo $? >"$OUT/nul.status"
    launch "$PROGRAM" WINEDEBUG=+actctx >/dev/null 2>"$OUT/manifest.log"
fi

if has users || has console; then
    i=0
    for pair in $USERS; do
        i=$((i + 1))
        if has users; then
            run "user$i-first" "$PROGRAM" USER="${pair%:*}" LANG="${pair#*:}.UTF-8"
            run "user$i-second" "$PROGRAM" USER="${pair%:*}" LANG="${pair#*:}.UTF-8"
        fi
        if has console; then
            console "user$i-console" USER="${pair%:*}" LANG="${pair#*:}.UTF-8"
        fi
    done
fi

if has ansi; then
    # The same image, its manifest's code page made one that no Windows knows.
    perl -pe 's{>UTF-8</activeCodePage>}{>ANSI!</activeCodePage>}' "$PROGRAM" >"$OUT/ansi.exe"
    run ansi-tanaka-de "$OUT/ansi.exe" USER=田中 LANG=de_DE.UTF-8
    run ansi-juergen-de "$OUT/ansi.exe" USER=Jürgen LANG=de_DE.UTF-8
    run jurgen "$PROGRAM" USER=Jurgen
    run ansi-juergen-ru "$OUT/ansi.exe" USER=Jürgen LANG=ru_RU.UTF-8
fi

if has paths; then
    rm -rf "$profile/Pictures"
    echo "not a folder" >"$profile/Pictures"
    run file-in-way "$PROGRAM"
    rm -f "$profile/Pictures"
    mkdir "$profile/Pictures"
    # redirect NAME VALUE FOLDER: a run with the shell folder VALUE moved to
    # C:\docs\FOLDER, whose path is kept in NAME.path.
    redirect() {
        printf 'C:\\docs\\%s' "$3" >"$OUT/$1.path"
        env $base "$WINE" reg add "$shellFolders" /v "$2" /t REG_EXPAND_SZ /d "C:\\docs\\$3" /f >/dev/null 2>&1
        run "$1" "$PROGRAM"
        env $base "$WINE" reg delete "$shellFolders" /v "$2" /f >/dev/null 2>&1
    }
    # Two parts, for a Linux file name holds 255 bytes at most: C:\docs\,
    # 120 two-byte letters, \ and the rest, 259 and 260 bytes in UTF-8.
    letters=$(printf 'ü%.0s' $(seq 120))
    mkdir -p "$WINEPREFIX/drive_c/docs/$letters"
    redirect doc-259 Personal "$letters\\Documentsx"
    redirect doc-260 Personal "$letters\\Documentsxy"
    [ ! -d "$WINEPREFIX/drive_c/docs/$letters/Documentsxy" ] || echo made >"$OUT/doc-260.made"
    # Symlinks leading nowhere, named in three-byte letters, so that a path
    # too long is cut inside one: 259 and 262 bytes.
    for count in 83 84; do
        link=zz$(printf '田%.0s' $(seq $count))
        ln -s nowhere "$WINEPREFIX/drive_c/docs/$link"
        redirect "link-$((10 + 3 * count))" "Start Menu" "$link"
    done
fi

if has scripted; then
    mkdir "$OUT/scripted"
    cp "$PROGRAM" "$OUT/scripted/folderreport.exe"
    cp "$SHELL32" "$OUT/scripted/shell32.dll"
    run scripted "$OUT/scripted/folderreport.exe" WINEDLLOVERRIDES=shell32=n \
        SHELL_ANSWERS="Z:$(printf '%s' "$ANSWERS" | tr / '\\')"
fi

if has errors; then
    if [ "$(id -u)" = 0 ]; then
        "$WITH_TMPFS" 16k sh -c 'head -c 1048576 /dev/zero >"$TMPFS/fill" 2>/dev/null; exec "$@" >"$TMPFS/out"' \
            sh env USER="$user" $base "$WINE" "$PROGRAM" 2>"$OUT/full.err"
        echo $? >"$OUT/full.status"
    fi
    launch "$PROGRAM" 1</dev/null 2>"$OUT/read-only.err"
    echo $? >"$OUT/read-only.status"
    launch "$PROGRAM" >&- 2>"$OUT/closed.err"
    echo $? >"$OUT/closed.status"
    "$CLOSED_PIPE" "$OUT/pipe.err" env USER="$user" $base "$WINE" "$PROGRAM"
    echo $? >"$OUT/pipe.status"
fi
