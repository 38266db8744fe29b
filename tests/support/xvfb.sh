# Sourced by the scripts that run the real program under a private Xvfb.
#
#   start_xvfb [WxHxD]      start it, export DISPLAY and QT_QPA_PLATFORM=xcb,
#                           and wait until it answers; its pid is in xvfb_pid
#   stop_xvfb               end it (safe to call twice, for an EXIT trap)
#   wait_for_window [N]     wait up to N tenths of a second for the shown
#                           window "Form1" and print its id; fails without one
#   opens_and_ends CMD...   start CMD, wait for its window, click ＥＮＤ and
#                           require exit status 0

start_xvfb() {
    local geometry=${1:-640x600x24}
    local screen=":$((100 + RANDOM % 800))"
    # -noreset: the server must not reset when its last client leaves, or
    # the next program started may find no display for a moment.
    Xvfb "$screen" -screen 0 "$geometry" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$screen QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "FAIL: Xvfb did not start on $screen"
    return 1
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
