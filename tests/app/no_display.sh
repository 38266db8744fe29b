#!/usr/bin/env bash
# When the window cannot be opened, tintora says so in one line and exits 1:
# no core dump, no pile of platform messages. Two cases: no X display to
# open, and a Wayland session without Qt's Wayland plugin, where the line
# names the package to install.
set -u
tintora=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

# A copy of the program whose Qt finds only the X11 platform plugin.
mkdir -p "$scratch/bin" "$scratch/plugins/platforms"
cp "$tintora" "$scratch/bin/tintora"
ln -s "$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforms/libqxcb.so" "$scratch/plugins/platforms/"
printf '[Paths]\nPlugins=%s\n' "$scratch/plugins" >"$scratch/bin/qt.conf"

expect_one_line() {
    local case=$1 wanted=$2
    shift 2
    timeout 20 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$scratch" "$@" 2>"$scratch/err"
    local status=$? lines
    lines=$(grep -c . "$scratch/err")
    echo "$case: exit status $status, $lines line(s) on stderr:"
    cat "$scratch/err"
    if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] || ! grep -q -- "$wanted" "$scratch/err"; then
        echo "FAIL: $case: expected status 1 and one line saying \"$wanted\""
        failed=1
    fi
}

expect_one_line "no X display" "cannot open the window" QT_QPA_PLATFORM=xcb DISPLAY=:97531 "$tintora"
expect_one_line "Wayland without its plugin" "install the package qt6-wayland" \
    XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-97531 "$scratch/bin/tintora"
[ "$failed" -eq 0 ] && echo "2 passed, 0 failed" || echo "FAIL"
exit "$failed"
