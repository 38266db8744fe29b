#!/usr/bin/env bash
# Installs the package on a clean Debian 12 made with debootstrap (minbase:
# no Qt, no fonts, no X libraries), starts the installed tintora against an
# Xvfb of the host, checks that its window opens, and ends it with ＥＮＤ.
# Needs root. Usage: clean_install.sh PACKAGE.deb
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
deb=$(readlink -f "$1")
root=$(mktemp -d /var/tmp/tintora-clean.XXXXXX)
cleanup() {
    umount "$root/tmp/.X11-unix" 2>/dev/null || true
    umount "$root/proc" 2>/dev/null || true
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "== debootstrap bookworm into $root"
debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
cp "$deb" "$root/tmp/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"

echo "== apt-get install ./$(basename "$deb")"
chroot "$root" bash -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/$(basename "$deb") >/dev/null"
chroot "$root" dpkg -l tintora | tail -1

# The X server puts its socket here, where the chroot sees it; the chroot
# has no copy of its cookie, so the server takes clients without one.
mkdir -p "$root/tmp/.X11-unix" /tmp/.X11-unix
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-ac" "$here/../support/screen.py" opens-and-ends chroot "$root" /usr/bin/tintora
echo "clean install: PASS"
