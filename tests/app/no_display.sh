#!/usr/bin/env bash
# With no display to open, tintora says so in one line and exits 1: no core
# dump, no pile of platform messages.
set -u
tintora=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb DISPLAY=:97531 timeout 20 "$tintora" 2>"$err"
status=$?
lines=$(grep -c . "$err")
echo "exit status $status, $lines line(s) on stderr:"
cat "$err"
[ "$status" -eq 1 ] || { echo "FAIL: expected exit status 1"; exit 1; }
[ "$lines" -eq 1 ] || { echo "FAIL: expected one line"; exit 1; }
grep -q "cannot open the window" "$err" || { echo "FAIL: the line does not say what failed"; exit 1; }
echo "PASS"
