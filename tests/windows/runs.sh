# The runs that prove a Windows folderreport.exe against a real shell, all in
# one Wine prefix: a first run, a second after two of the user's folders were
# deleted, a third, one through a pipe, and one that traces how Wine reads
# the program's manifest.  POSIX sh, for the guest too.  Needs WINE (the wine
# command), WINEPREFIX, PROGRAM and OUT (where each run's output, standard
# error and status go); runs as the prefix's user.
run() {  # run NAME
    "$WINE" "$PROGRAM" >"$OUT/$1.out" 2>"$OUT/$1.err"
    echo $? >"$OUT/$1.status"
}
user=$(id -un)
run first
rm -rf "$WINEPREFIX/drive_c/users/$user/Pictures" "$WINEPREFIX/drive_c/users/Public/Documents"
run second
for folder in "users/$user/Pictures" users/Public/Documents; do
    if [ -d "$WINEPREFIX/drive_c/$folder" ]; then echo "$folder"; fi
done >"$OUT/recreated"
run third
{ "$WINE" "$PROGRAM" 2>"$OUT/piped.err"; echo $? >"$OUT/piped.status"; } | cat >"$OUT/piped.out"
WINEDEBUG=+actctx "$WINE" "$PROGRAM" >/dev/null 2>"$OUT/manifest.log"
