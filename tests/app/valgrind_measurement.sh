#!/usr/bin/env bash
# One whole measurement of the real program under valgrind's memcheck, driven
# under Xvfb as a user would, ended by "ＥＮＤ". Passes when memcheck finds no
# error and no block definitely lost from the program's own code.
# Usage: valgrind_measurement.sh TINTORA [LOG]
set -euo pipefail
tintora=$(readlink -f "$1")
log=${2:-$(mktemp --suffix=.valgrind.log)}
here=$(dirname "$(readlink -f "$0")")
source "$here/../support/xvfb.sh"

trap stop_xvfb EXIT
start_xvfb

valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=none \
    --suppressions="$here/valgrind.supp" --num-callers=30 --log-file="$log" "$tintora" &
app=$!
wait_for_window 600 >/dev/null || { kill "$app"; echo "FAIL: no window under valgrind"; exit 1; }
sleep 2

click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-1.5}"; }
click 484 84                       # ＳＴＡＲＴ
click 250 364; click 281 364       # the red bar: track, then arrow
click 388 364                      # 確定
click 72 408; click 120 412        # G, the green bar's track
click 388 412                      # 確定
click 72 456; click 281 460        # B, the blue bar's arrow
click 388 460                      # 確定
click 184 532                      # PUSH
click 456 532                      # 再測定
click 544 532 0                    # ＥＮＤ
status=0
wait "$app" || status=$?

errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log" | tail -1)
# A definitely lost block counts against the program when its stack passes
# through the program's own code.
own_leaks=$(awk '/definitely lost in loss record/{block=1; text=""} block{text=text"\n"$0} /^==[0-9]+== $/{if (block && text ~ /tintora::/) print text; block=0}' "$log")
echo "exit status $status, memcheck errors: ${errors:-?}"
grep -E "definitely lost:|ERROR SUMMARY" "$log" || true
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; exit 1; }
[ "${errors:-1}" -eq 0 ] || { echo "FAIL: memcheck errors, see $log"; grep -A25 -m3 "^==[0-9]*== [A-Z]" "$log" | head -80; exit 1; }
[ -z "$own_leaks" ] || { echo "FAIL: blocks definitely lost from the program's code:"; echo "$own_leaks"; exit 1; }
echo "PASS"
