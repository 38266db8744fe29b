#!/usr/bin/env bash
# Checks the Debian package: its file list and dependencies, its desktop
# files once unpacked into a staging folder, and that the unpacked program
# opens its window. With --install (as root) it also installs the package
# with apt-get, starts the installed tintora and removes the package again.
# Usage: check_package.sh PACKAGE.deb [--install]
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
opens_and_ends() { QT_QPA_PLATFORM=xcb xvfb-run -a "$here/../support/screen.py" opens-and-ends "$@"; }
deb=$(readlink -f "$1")
install=${2:-}
fail() { echo "FAIL: $*"; exit 1; }

echo "== file list"
files=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort)
echo "$files"
expected="./usr/bin/tintora
./usr/share/applications/org.tintora.Tintora.desktop
./usr/share/doc/tintora/changelog.gz
./usr/share/doc/tintora/copyright
./usr/share/icons/hicolor/128x128/apps/org.tintora.Tintora.png
./usr/share/icons/hicolor/16x16/apps/org.tintora.Tintora.png
./usr/share/icons/hicolor/24x24/apps/org.tintora.Tintora.png
./usr/share/icons/hicolor/256x256/apps/org.tintora.Tintora.png
./usr/share/icons/hicolor/32x32/apps/org.tintora.Tintora.png
./usr/share/icons/hicolor/48x48/apps/org.tintora.Tintora.png
./usr/share/icons/hicolor/64x64/apps/org.tintora.Tintora.png
./usr/share/icons/hicolor/scalable/apps/org.tintora.Tintora.svg
./usr/share/man/man1/tintora.1.gz
./usr/share/metainfo/org.tintora.Tintora.metainfo.xml"
[ "$files" = "$expected" ] || fail "the file list differs from the expected one"

echo "== dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 fonts-ipafont-gothic; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed"
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dpkg-deb -x "$deb" "$stage"
echo "== unpacked into $stage"
desktop-file-validate "$stage/usr/share/applications/org.tintora.Tintora.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.tintora.Tintora.metainfo.xml"
file "$stage/usr/share/icons/hicolor/48x48/apps/org.tintora.Tintora.png" | grep -q "48 x 48" || fail "the 48-pixel icon is not 48 pixels"

opens_and_ends "$stage/usr/bin/tintora"

if [ "$install" = "--install" ]; then
    echo "== apt-get install"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
    opens_and_ends /usr/bin/tintora
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tintora >/dev/null
    echo "installed, started and removed again"
fi
echo "package: PASS"
