#!/usr/bin/env bash
# The Windows program is one file to run as it is: at most 1 MiB, importing
# only the system's own libraries, with its icon in every size, its manifest
# (common controls 6, per-monitor DPI, UTF-8) and its version inside.
# Usage: program_file.sh tintora.exe OBJDUMP VERSION ICON_SIZE...
set -euo pipefail
exe=$1 objdump=$2 version=$3
shift 3
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

size=$(stat -c %s "$exe")
echo "$exe: $size bytes"
[ "$size" -le 1048576 ] || fail "larger than 1 MiB"
system=" ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL OLEACC.DLL OLEAUT32.DLL SHELL32.DLL USER32.DLL UXTHEME.DLL "
imports=$("$objdump" -p "$exe" | awk '/DLL Name:/ { print toupper($3) }')
echo "imports: $(xargs <<<"$imports")"
for dll in $imports; do
    [[ $system == *" $dll "* ]] || fail "imports $dll, which Windows does not bring"
done

wrestool -x --type=14 "$exe" >"$work/icon.ico"
sizes=$(icotool -l "$work/icon.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | xargs)
[ "$sizes" = "$*" ] || fail "the icon comes in $sizes, not $*"
wrestool -x --raw --type=24 "$exe" >"$work/manifest.xml"
for setting in 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' '>PerMonitorV2<' '>UTF-8<' \
    "name=\"org.tintora.Tintora\" version=\"$version.0\""; do
    grep -q -F "$setting" "$work/manifest.xml" || fail "the manifest lacks $setting"
done
wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 -c | tr -d '\0' | grep -q -F "$version" ||
    fail "the version resource does not say $version"
echo "program file: PASS (icon $sizes; manifest; version $version)"
