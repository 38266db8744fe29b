#!/usr/bin/env bash
# Installs the package on a clean Debian 12 made with debootstrap (minbase:
# no Qt, no fonts, no X libraries), starts the installed tintora against an
# Xvfb of the host, checks that its window opens, and ends it with ＥＮＤ.
# Needs root. Usage: clean_install.sh PACKAGE.deb
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/../support/xvfb.sh"
deb=$(readlink -f "$1")
root=$(mktemp -d /var/tmp/tintora-clean.XXXXXX)
cleanup() {
    stop_xvfb
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

start_xvfb
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
opens_and_ends chroot "$root" env DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb /usr/bin/tintora
echo "clean install: PASS"
