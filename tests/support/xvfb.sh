# Sourced by the scripts that run the real program under a private Xvfb.
#
#   start_xvfb [WxHxD]      start it on a free display, wait until it answers,
#                           export DISPLAY and QT_QPA_PLATFORM=xcb; its pid
#                           is in xvfb_pid
#   stop_xvfb               end it (safe to call twice, for an EXIT trap)
#   wait_for_window [N]     wait up to N tenths of a second for the shown
#                           window "Form1" and print its id; fails without one
#   opens_and_ends CMD...   start CMD, wait for its window, click ＥＮＤ and
#                           require exit status 0

start_xvfb() {
    local geometry=${1:-640x600x24} number="" ready
    ready=$(mktemp)
    # -displayfd: the server takes a display number that is free and writes
    # it once it accepts clients, so this script talks to its own server and
    # never to another one that happens to hold a number.
    # -noreset: the server must not reset when its last client leaves, or
    # the next program started may find no display for a moment.
    Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset 3>"$ready" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        number=$(head -1 "$ready")
        [ -n "$number" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$ready"
    [ -n "$number" ] || { echo "FAIL: Xvfb did not start"; return 1; }
    export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
}

stop_xvfb() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    return 0
}

wait_for_window() {
    local tenths=${1:-100} shown=""
    for _ in $(seq "$tenths"); do
        shown=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -1 || true)
        [ -n "$shown" ] && { echo "$shown"; return 0; }
        sleep 0.1
    done
    return 1
}

opens_and_ends() {
    "$@" &
    local app=$! status=0
    wait_for_window >/dev/null || { kill "$app"; echo "FAIL: $* opened no window"; return 1; }
    xdotool mousemove 544 532 click 1 # ＥＮＤ
    wait "$app" || status=$?
    [ "$status" -eq 0 ] || { echo "FAIL: $* ended with status $status"; return 1; }
    echo "$* opened its window and ended with status 0"
}
