#!/usr/bin/env bash
# Installs the Windows program with its installer, silently (/S), into a
# copy of the build's Wine prefix: the program in Program Files, identical to
# the one built, its uninstaller, its Start-menu entry and its entry in the
# system's list of programs. Then starts the installed program, uninstalls it
# silently and requires that nothing of it is left.
# Usage: xvfb-run -a windows_installer.sh INSTALLER.exe PROGRAM.exe PREFIX
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
installer=$(readlink -f "$1")
program=$(readlink -f "$2")
fail() { echo "FAIL: $*"; exit 1; }

prefix=$(mktemp -d)
export TINTORA_WINEPREFIX=$prefix
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
cp -a "$3/." "$prefix"
wine() { "$here/../../tools/wine-run" "$@"; }
settled() { WINEPREFIX=$prefix wineserver -w; }
folder="$prefix/drive_c/Program Files/Tintora"
shortcut="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tintora.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tintora'
entry() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name { $1 = $2 = ""; sub(/^ +/, ""); print }'; }

echo "== $installer /S"
wine "$installer" /S
settled
cmp "$program" "$folder/tintora.exe" || fail "the installed program differs from the one built"
[ -f "$folder/uninstall.exe" ] || fail "no uninstaller"
[ -f "$shortcut" ] || fail "no Start-menu entry"
for pair in "DisplayName=Tintora" "DisplayVersion=$(sed -n 's/^project(tintora VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")" \
    'UninstallString="C:\Program Files\Tintora\uninstall.exe"' \
    'QuietUninstallString="C:\Program Files\Tintora\uninstall.exe" /S' \
    'DisplayIcon=C:\Program Files\Tintora\tintora.exe,0'; do
    name=${pair%%=*}
    [ "$(entry "$name")" = "${pair#*=}" ] || fail "the list of programs says $name=$(entry "$name"), not ${pair#*=}"
done
echo "installed: the program, its uninstaller, its Start-menu entry and $key"

"$here/../support/screen.py" opens-and-ends "$here/../../tools/wine-run" 'C:\Program Files\Tintora\tintora.exe'

echo "== uninstall.exe /S"
wine 'C:\Program Files\Tintora\uninstall.exe' /S
settled
[ ! -e "$folder" ] || fail "the program's folder is left: $(ls "$folder")"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is left"
wine reg query "$key" >/dev/null 2>&1 && fail "the entry in the list of programs is left"
echo "installer: PASS"
