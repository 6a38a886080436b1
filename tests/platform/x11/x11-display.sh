#!/usr/bin/env bash
# Starts and stops the private X display of the X11 tests: Xvfb on a free display number with
# openbox as window manager. "start DIR [WIDTHxHEIGHT]" returns once openbox manages the screen (1600x1000
# unless given) and writes the display name to DIR/display; "stop DIR" ends both.
set -euo pipefail

command=${1:?usage: x11-display.sh start|stop DIR}
state=${2:?usage: x11-display.sh start|stop DIR}
size=${3:-1600x1000}
readonly wait_steps=200   # of 0.05 s each

stop_display() {
    local name pid pids=()
    # Both at once: each would take its time to end alone.
    for name in openbox xvfb; do
        if [ -f "$state/$name.pid" ]; then
            pid=$(cat "$state/$name.pid")
            kill "$pid" 2>/dev/null && pids+=("$pid")
            rm -f "$state/$name.pid"
        fi
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq $wait_steps); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
    done
    rm -f "$state/display" "$state/number"
}

case "$command" in
start)
    for tool in Xvfb openbox xprop; do
        command -v "$tool" >/dev/null || { echo "x11-display: $tool is not installed" >&2; exit 1; }
    done
    mkdir -p "$state"
    stop_display
    : >"$state/number"
    # The server's own descriptors stay away from ctest's pipes, so ctest does not wait for it.
    setsid Xvfb -displayfd 3 -screen 0 ${size}x24 -nolisten tcp -noreset \
        3>"$state/number" </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    number=""
    for _ in $(seq $wait_steps); do
        number=$(tr -dc '0-9' <"$state/number")
        [ -n "$number" ] && break
        kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$number" ] || { echo "x11-display: Xvfb did not start" >&2; cat "$state/xvfb.log" >&2; stop_display; exit 1; }
    export DISPLAY=":$number"
    setsid openbox </dev/null >"$state/openbox.log" 2>&1 &
    echo $! >"$state/openbox.pid"
    for _ in $(seq $wait_steps); do
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
            echo "$DISPLAY" >"$state/display"
            echo "x11-display: $DISPLAY is managed by openbox"
            exit 0
        fi
        sleep 0.05
    done
    echo "x11-display: openbox did not take the screen" >&2
    cat "$state/openbox.log" >&2
    stop_display
    exit 1
    ;;
stop)
    stop_display
    ;;
*)
    echo "usage: x11-display.sh start|stop DIR" >&2
    exit 2
    ;;
esac
