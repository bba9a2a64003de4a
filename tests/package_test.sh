#!/usr/bin/env bash
# The manual page, the installed tree and the release's packages, checked
# against what the built program does.
#   package_test.sh SOURCE_DIR VERSION BINARY_DIR RELEASE_DIR WIN32_EXE WIN64_EXE PROGRAM FOLDER_LIST
# RELEASE_DIR is what scripts/release made (the release.reproducible test);
# WIN32_EXE and WIN64_EXE the i386 and x86-64 images the Windows tests ran.
set -uo pipefail
source "$(dirname "$0")/checks.sh"
source_dir=$(realpath "$1") version=$2 binary_dir=$3 release=$4 win32_exe=$5 win64_exe=$6 program=$7 folder_list=$8
require mandoc man wrestool dpkg-deb python3
[ -f "$release/SHA256SUMS" ] || missing "no release in $release: the release.reproducible test makes it"
cd "$source_dir"
work=$(mktemp -d -t folderreport-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
report() {  # report PROGRAM: its report in the new, empty home made by newhome
    env -i HOME="$home" "$1"
}
newhome() { home=$(mktemp -d "$work/home-XXXXXX"); }

# --- The manual page -------------------------------------------------------------
page=man/folderreport.1
lint=$(mandoc -T lint -W warning "$page" 2>&1) || fail "mandoc lint: $lint"
rendered=$(man -l "$page" 2>"$work/man-err") && grep -q '^NAME' <<<"$rendered" || fail "man -l does not render it"
[ ! -s "$work/man-err" ] || fail "man -l: $(cat "$work/man-err")"

newhome; actual=$(report "$program")
example=$(sed -n '/^\.Sh EXAMPLES/,/^\.Ed/p' "$page" | sed -n '/^\$ folderreport$/,/^\.Ed/p' | sed '1d;$d')
[ "${example//\/home\/ada/$home}" = "$actual" ] || fail "the example is not what the program prints:"$'\n'"$actual"

# The folder table: names in report order, the codes of the program's table,
# and each folder where the program finds or creates it.
"$folder_list" >"$work/table"
i=0
while read -r _ row _ code _ folder; do
    i=$((i + 1))
    line=$(sed -n "${i}p" <<<"$actual")
    [ "${line%%[ :]*}" = "$row" ] || fail "row $i: the page says $row, the program $line"
    [ "$(sed -n "${i}p" "$work/table")" = "$row $code" ] ||
        fail "row $i: the page says $row $code, the program's table $(sed -n "${i}p" "$work/table")"
    case $folder in
        none) want="FAILED ()" ;;
        *) folder=${folder#Pa }; want=${folder//\$HOME/$home} ;;
    esac
    [[ $line == *": $want" || $line == *": CREATED ($want)" ]] || fail "$row: the page says $want, the program $line"
done < <(sed -n '/^\.Bl -column/,/^\.El/p' "$page" | grep '^\.It [A-Z_]* Ta')
[ "$i" = 14 ] || fail "the page's table has $i rows"

# --- The README ----------------------------------------------------------------
# Its Windows report is the one the Wine runs check for Jürgen under WOW64.
source "$(dirname "$0")/windows/runs_check.sh"
shown=$(awk '/^## On Windows/ { on = 1; next } on && /^```/ { if (block) exit; block = 1; next } block' README.md | sed 1d)
[ "$shown" = "$(found_report Jürgen wow64)" ] || fail "the README's Windows report:"$'\n'"$shown"

# --- The installed tree ----------------------------------------------------------
cmake --install "$binary_dir" --prefix "$work/prefix" >/dev/null || fail "cmake --install"
files="bin/folderreport
share/doc/folderreport/LICENSE
share/doc/folderreport/README.md
share/doc/folderreport/changelog.gz
share/doc/folderreport/copyright
share/man/man1/folderreport.1.gz"
[ "$(cd "$work/prefix" && find . -type f | sed 's|^\./||' | sort)" = "$files" ] ||
    fail "installed: $(cd "$work/prefix" && find . -type f)"
# Debian's forms: the page and the changelog gzipped, the changelog's top
# entry this version, the copyright file machine-readable.
cmp -s <(gzip -dc "$work/prefix/share/man/man1/folderreport.1.gz") "$page" || fail "the installed page is not the page"
[[ $(gzip -dc "$work/prefix/share/doc/folderreport/changelog.gz" | head -n 1) == "folderreport ($version) "* ]] ||
    fail "changelog: $(gzip -dc "$work/prefix/share/doc/folderreport/changelog.gz" | head -n 1)"
[ "$(head -n 1 "$work/prefix/share/doc/folderreport/copyright")" = \
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] || fail "copyright is not machine-readable"
newhome; [ "$(report "$work/prefix/bin/folderreport" | wc -l)" = 14 ] || fail "the installed program does not report"

# --- The .deb and the .tar.gz -----------------------------------------------------
arch=$(dpkg --print-architecture)
deb=$release/folderreport_${version}_$arch.deb
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = folderreport ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
[ "$(field Maintainer)" = "The folderreport authors <authors@folderreport.invalid>" ] || fail "Maintainer: $(field Maintainer)"
[ "$(field Description | wc -l)" -ge 3 ] || fail "Description: $(field Description)"
# The program needs the C library alone, so that is all it may depend on.
[[ $(field Depends) =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] || fail "Depends: $(field Depends)"
[ "$(dpkg-deb -c "$deb" | awk '!/\/$/ { sub("^\\./usr/", "", $6); print $6 }' | sort)" = "$files" ] ||
    fail "the .deb holds: $(dpkg-deb -c "$deb")"
dpkg-deb -x "$deb" "$work/root"
newhome; [ "$(report "$work/root/usr/bin/folderreport" | wc -l)" = 14 ] || fail "the .deb's program does not report"
tarball=$release/folderreport-$version-Linux.tar.gz
[ "$(tar tzf "$tarball" | grep -v '/$' | sed "s|^folderreport-$version-Linux/||" | sort)" = "$files" ] ||
    fail "the .tar.gz holds: $(tar tzf "$tarball")"

# --- The .zips of the Windows programs ---------------------------------------------
for image in "win32 $win32_exe" "win64 $win64_exe"; do
    preset=${image%% *} exe=${image#* }
    zip=$release/folderreport-$version-$preset.zip
    [ -f "$zip" ] || { fail "no $zip"; continue; }
    python3 -m zipfile -e "$zip" "$work/zip-$preset"
    top=$work/zip-$preset/folderreport-$version-$preset
    [ "$(ls "$top" | LC_ALL=C sort | tr '\n' ' ')" = "CHANGELOG LICENSE README.md folderreport.exe folderreport.html " ] ||
        fail "the $preset .zip holds: $(ls -R "$top")"
    # Every file its README links to is in the zip too.
    for link in $(grep -o '\]([^)]*)' "$top/README.md" | sed 's/^](//; s/)$//; s/#.*//'); do
        case $link in '' | *:*) ;; *) [ -e "$top/$link" ] || fail "the $preset .zip's README links to $link, which it does not hold" ;; esac
    done
    mandoc -T html "$page" | cmp -s - "$top/folderreport.html" || fail "the $preset .zip's folderreport.html is not the page"
    # What ships is, byte for byte, the image the Windows tests checked and ran.
    cmp "$top/folderreport.exe" "$exe" || fail "the $preset .zip's program is not the tested image"
    wrestool -x --raw --type=version "$top/folderreport.exe" >"$work/version.res" || fail "$preset: no version resource"
    # The strings of the version resource (UTF-16) and its fixed file version.
    python3 - "$work/version.res" "$version" <<'PY' || fail "$preset: version resource"
import struct, sys
data = open(sys.argv[1], "rb").read()
want = sys.argv[2]
def string(key):
    at = data.find((key + "\0").encode("utf-16-le"))
    if at < 0:
        return None
    at += len(key) * 2 + 2
    at += -at % 4  # values are aligned to 32 bits
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")
fixed = data.find(struct.pack("<I", 0xFEEF04BD))
ms, ls = struct.unpack_from("<II", data, fixed + 8)
numbers = "%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16)
found = {k: string(k) for k in ("FileVersion", "ProductVersion", "ProductName", "FileDescription", "LegalCopyright")}
ok = (found["FileVersion"] == want and found["ProductVersion"] == want and numbers == want
      and found["ProductName"] == "folderreport" and found["FileDescription"]
      and found["LegalCopyright"].startswith("Copyright"))
print(found, numbers)
sys.exit(0 if ok else 1)
PY
done

finish
