#!/usr/bin/env bash
# Starts and stops a private X display of the X11 tests: Xvfb on a free display number, a window manager
# (openbox, unless SKAF_X11_WM names xfwm4, icewm, fluxbox, metacity, marco or kwin_x11) and a session bus
# of its own. "start DIR [WIDTHxHEIGHT]" returns once the window manager manages the screen (1600x1000
# unless given); "stop DIR" ends what the start made.
#
# A display belongs to the process that ran the start (ctest, or a shell), and the tests are its children
# too: they find the display's name in DIR/owner-PID/display and the bus's address in DIR/owner-PID/bus,
# PID being their parent's. Two test runs on one build thus have displays of their own, and neither ends
# the other's. A start also ends the displays of owners that are gone (a run that was killed).
set -euo pipefail

command=${1:?usage: x11-display.sh start|stop DIR}
state=${2:?usage: x11-display.sh start|stop DIR}
size=${3:-1600x1000}
readonly wait_steps=200   # of 0.05 s each
wm=${SKAF_X11_WM:-openbox}

# A process is named by its number and its start time, so that a number used again is never taken for it.
# One that has ended counts as gone while it waits to be reaped: its parent is gone, and so is ours.
start_time() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    set -- $stat
    [ "$1" != Z ] || return 1
    echo "${20}"
}
identity() { echo "$1 $(start_time "$1")"; }
is_running() { [ "$(start_time "$1" 2>/dev/null)" = "$2" ]; }

owner=$PPID
run="$state/owner-$owner"

# Ends the processes listed in a run's folder, and only those that still are what the list says.
stop_run() {
    local folder=$1 pid started pids=() starts=() i
    if [ -f "$folder/processes" ]; then
        while read -r pid started; do
            if is_running "$pid" "$started"; then
                kill "$pid" 2>/dev/null && pids+=("$pid") && starts+=("$started")
            fi
        done <"$folder/processes"
    fi
    # All at once: each would take its time to end alone.
    for i in "${!pids[@]}"; do
        for _ in $(seq $wait_steps); do
            is_running "${pids[$i]}" "${starts[$i]}" || break
            sleep 0.05
        done
    done
    [ -f "$folder/bus-folder" ] && rm -rf "$(cat "$folder/bus-folder")"
    rm -rf "$folder"
}

# The displays of owners that ended without stopping them.
stop_abandoned_runs() {
    local folder pid started
    for folder in "$state"/owner-*; do
        [ -d "$folder" ] || continue
        # A folder with no owner yet is being made by a start beside us; it has no processes yet either.
        read -r pid started 2>/dev/null <"$folder/owner" || continue
        is_running "$pid" "$started" || stop_run "$folder"
    done
}

# Starts a process of the display in a session of its own, so that ctest does not wait for its
# descriptors and a terminal's Ctrl-C does not reach it, and lists it as the run's.
start_process() {
    setsid "$@" &
    identity $! >>"$run/processes"
    last_pid=$!
}

fail() {
    echo "x11-display: $1" >&2
    [ -n "${2:-}" ] && [ -f "$2" ] && cat "$2" >&2
    stop_run "$run"
    exit 1
}

case "$command" in
start)
    for tool in Xvfb "$wm" xprop; do
        command -v "$tool" >/dev/null || { echo "x11-display: $tool is not installed" >&2; exit 1; }
    done
    mkdir -p "$state"
    stop_abandoned_runs
    # A start of the same owner again replaces its display.
    stop_run "$run"
    mkdir -p "$run"
    identity "$owner" >"$run/owner"
    : >"$run/number"
    start_process Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset \
        3>"$run/number" </dev/null >"$run/xvfb.log" 2>&1
    xvfb=$last_pid
    number=""
    for _ in $(seq $wait_steps); do
        number=$(tr -dc '0-9' <"$run/number")
        [ -n "$number" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$number" ] || fail "Xvfb did not start" "$run/xvfb.log"
    export DISPLAY=":$number"
    # With no session bus, a program's first use of one would start a daemon that outlives the tests. Given
    # a runtime folder, the daemon would leave a folder of its own in it.
    if command -v dbus-daemon >/dev/null; then
        bus_folder=$(mktemp -d "${TMPDIR:-/tmp}/skaf-test-bus.XXXXXX")
        echo "$bus_folder" >"$run/bus-folder"
        : >"$run/bus"
        start_process env -u XDG_RUNTIME_DIR dbus-daemon --session --nofork --address="unix:path=$bus_folder/socket" \
            --print-address=3 3>"$run/bus" </dev/null >"$run/bus.log" 2>&1
        for _ in $(seq $wait_steps); do
            [ -s "$run/bus" ] && break
            kill -0 "$last_pid" 2>/dev/null || break
            sleep 0.05
        done
        [ -s "$run/bus" ] || fail "the session bus did not start" "$run/bus.log"
        export DBUS_SESSION_BUS_ADDRESS
        DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$run/bus")
    fi
    case "$wm" in
    # Each as it runs on a desktop without its session: no compositor of its own.
    xfwm4) wm_command=(xfwm4 --compositor=off --sm-client-disable) ;;
    metacity | marco) wm_command=("$wm" --no-composite --sm-disable) ;;
    kwin_x11) wm_command=(kwin_x11 --replace) ;;
    *) wm_command=("$wm") ;;
    esac
    start_process "${wm_command[@]}" </dev/null >"$run/wm.log" 2>&1
    for _ in $(seq $wait_steps); do
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
            echo "$DISPLAY" >"$run/display"
            echo "x11-display: $DISPLAY is managed by $wm"
            exit 0
        fi
        sleep 0.05
    done
    fail "$wm did not take the screen" "$run/wm.log"
    ;;
stop)
    stop_run "$run"
    ;;
*)
    echo "usage: x11-display.sh start|stop DIR" >&2
    exit 2
    ;;
esac
