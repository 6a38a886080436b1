#!/usr/bin/env bash
# Runs skaf on a private virtual display (Xvfb with openbox and an xterm to arrange) until it quits or
# Ctrl-C stops it. The display, its session bus, window manager and terminal live in sessions of their own,
# so that the terminal's interrupt reaches skaf alone: skaf quits first, on a display that is still there,
# and they are stopped after it. Whatever ends the script, it ends what it started, each within a bound.
# Arguments: the skaf program, then its own arguments.
set -euo pipefail

skaf=${1:?usage: run-on-private-display.sh SKAF [ARGUMENTS...]}
shift

# Skaf gives up on a quit that does not finish after 8 s; the others end at once when asked.
readonly skaf_stop_seconds=12
readonly stop_seconds=3

folder=$(mktemp -d "${TMPDIR:-/tmp}/skaf-run.XXXXXX")
display_processes=()
skaf_pid=""

# Ends the processes: asked first, killed when they take longer than the seconds given.
end_processes() {
    local seconds=$1 pid step
    shift
    [ $# -gt 0 ] || return 0
    kill -TERM "$@" 2>/dev/null || true
    for pid in "$@"; do
        for ((step = 0; step < seconds * 20; ++step)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$pid" 2>/dev/null || true
    done
}

cleanup() {
    # A second Ctrl-C does not cut the clean-up short: it is bounded.
    trap '' INT TERM HUP
    local pid others=()
    # Skaf, even when the signal came before its number was noted: every background job that is not a
    # process of the display.
    for pid in $(jobs -p); do
        [[ " ${display_processes[*]} " == *" $pid "* ]] || others+=("$pid")
    done
    end_processes $skaf_stop_seconds "${others[@]}"
    end_processes $stop_seconds "${display_processes[@]}"
    rm -rf "$folder"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Starts a process of the display in a session of its own, its temporary files in our folder: one killed
# while it starts cannot remove them itself.
start_display_process() {
    TMPDIR="$folder" setsid "$@" &
    display_processes+=($!)
}

# Waits up to ten seconds for a file to have content.
wait_for_file() {
    local _
    for _ in $(seq 100); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# Without -noreset, the display resets each time its last client leaves, and drops the clients that are still
# connecting: the window manager or the xterm, when they come just as one of our xprop checks goes.
start_display_process Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3>"$folder/number" </dev/null \
    >/dev/null 2>&1
wait_for_file "$folder/number" || { echo "run: the virtual display did not start" >&2; exit 1; }
export DISPLAY=":$(tr -dc '0-9' <"$folder/number")"
# A bus of their own, which ends with them: without one, the first program that looks for a bus would start
# a daemon that outlives the display. Given a runtime folder, the daemon would leave a folder of its own in it.
if command -v dbus-daemon >/dev/null; then
    start_display_process env -u XDG_RUNTIME_DIR dbus-daemon --session --nofork --address="unix:path=$folder/bus" --print-address=3 \
        3>"$folder/bus-address" </dev/null >/dev/null 2>&1
    wait_for_file "$folder/bus-address" || { echo "run: the session bus did not start" >&2; exit 1; }
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$folder/bus-address")
fi
# openbox's own configuration, but with no desktop switch while a dragged window rests at the left or right
# edge: that is where snapping asks the user to rest it.
openbox_configuration=()
if [ -r /etc/xdg/openbox/rc.xml ]; then
    sed 's|<screenEdgeWarpTime>[0-9]*</screenEdgeWarpTime>|<screenEdgeWarpTime>0</screenEdgeWarpTime>|' \
        /etc/xdg/openbox/rc.xml >"$folder/openbox.xml"
    openbox_configuration=(--config-file "$folder/openbox.xml")
fi
# What openbox says is shown when skaf fails: it tells why the screen was not managed.
start_display_process openbox "${openbox_configuration[@]}" </dev/null >"$folder/openbox.log" 2>&1
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
start_display_process xterm -geometry 100x30+120+90 </dev/null >/dev/null 2>&1
echo "No X display was found: Skaf runs on the private virtual display $DISPLAY (Xvfb with openbox and an xterm)."
echo "Press Ctrl-C to stop."
"$skaf" "$@" &
skaf_pid=$!
status=0
wait "$skaf_pid" || status=$?
skaf_pid=""
if [ "$status" -ne 0 ] && [ -s "$folder/openbox.log" ]; then
    echo "run: openbox said:" >&2
    cat "$folder/openbox.log" >&2
fi
exit "$status"
