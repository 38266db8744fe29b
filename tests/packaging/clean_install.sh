#!/usr/bin/env bash
# Installs the package on a clean Debian 12 made with debootstrap (minbase:
# no Qt, no fonts, no X libraries), starts the installed tintora against an
# Xvfb of the host, checks that its window opens, and ends it with ＥＮＤ.
# Needs root. Usage: clean_install.sh PACKAGE.deb
set -euo pipefail
deb=$(readlink -f "$1")
root=$(mktemp -d /var/tmp/tintora-clean.XXXXXX)
screen_number=$((800 + $$ % 100))
cleanup() {
    kill "${xvfb:-}" 2>/dev/null || true
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

Xvfb ":$screen_number" -screen 0 640x600x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$screen_number
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

chroot "$root" env DISPLAY=":$screen_number" QT_QPA_PLATFORM=xcb /usr/bin/tintora &
app=$!
shown=""
for _ in $(seq 100); do
    shown=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -1) && [ -n "$shown" ] && break
    sleep 0.1
done
[ -n "$shown" ] || { kill "$app"; echo "FAIL: the installed tintora opened no window"; exit 1; }
xdotool mousemove 544 532 click 1 # ＥＮＤ
wait "$app" || { echo "FAIL: tintora ended with status $?"; exit 1; }
echo "clean install: the installed tintora opened its window and ended with status 0: PASS"
