#!/usr/bin/env bash
# Runs skaf on a private virtual display (Xvfb with openbox and an xterm to arrange) until it quits or
# Ctrl-C stops it. The display, window manager and terminal live in a session of their own, so that the
# terminal's interrupt reaches skaf alone: skaf quits first, on a display that is still there, and they
# are stopped after it.
# Arguments: the skaf program, then its own arguments.
set -euo pipefail

skaf=${1:?usage: run-on-private-display.sh SKAF [ARGUMENTS...]}
shift

display_processes=()
skaf_pid=""
cleanup() {
    local pid
    if [ -n "$skaf_pid" ]; then
        kill -TERM "$skaf_pid" 2>/dev/null || true
        wait "$skaf_pid" 2>/dev/null || true
    fi
    for pid in "${display_processes[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${display_processes[@]}"; do
        while kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

numberfile=$(mktemp)
setsid Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$numberfile" </dev/null >/dev/null 2>&1 &
display_processes+=($!)
number=""
for _ in $(seq 100); do
    number=$(tr -dc '0-9' <"$numberfile")
    [ -n "$number" ] && break
    sleep 0.1
done
rm -f "$numberfile"
[ -n "$number" ] || { echo "run: the virtual display did not start" >&2; exit 1; }
export DISPLAY=":$number"
setsid openbox </dev/null >/dev/null 2>&1 &
display_processes+=($!)
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
setsid xterm -geometry 100x30+120+90 </dev/null >/dev/null 2>&1 &
display_processes+=($!)
echo "No X display was found: Skaf runs on the private virtual display $DISPLAY (Xvfb with openbox and an xterm)."
echo "Press Ctrl-C to stop."
"$skaf" "$@" &
skaf_pid=$!
status=0
wait "$skaf_pid" || status=$?
skaf_pid=""
exit "$status"
