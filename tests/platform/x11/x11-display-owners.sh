#!/usr/bin/env bash
# Test displays of two runs on one build: each owner's start and stop leave the other's display alone, and a
# start ends the display of an owner that was killed without stopping it.
# Arguments: the display script.
set -euo pipefail

script=${1:?usage: x11-display-owners.sh X11-DISPLAY-SCRIPT}
state=$(mktemp -d)
owners=()
cleanup() {
    local pid
    for pid in "${owners[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    # What a killed owner left is ended by a start of ours.
    "$script" start "$state" >/dev/null 2>&1 || true
    "$script" stop "$state" >/dev/null 2>&1 || true
    rm -rf "$state"
}
trap cleanup EXIT

fail() {
    echo "$1"
    exit 1
}

# An owner starts a display and stops it when told through its pipe; $owner is its number.
start_owner() {
    local pipe="$state/$1.pipe"
    mkfifo "$pipe"
    # Not the shell's last command (bash would run that in place of itself): the owner is the parent of both
    # the start and the stop.
    bash -c '"$0" start "$1" >/dev/null && read -r _ <"$2" && "$0" stop "$1"; exit' "$script" "$state" "$pipe" &
    owner=$!
    owners+=("$owner")
    local _
    for _ in $(seq 100); do
        [ -s "$state/owner-$owner/display" ] && return 0
        sleep 0.1
    done
    fail "the display of owner $1 did not start"
}
display_of() { cat "$state/owner-$1/display"; }
answers() { xprop -display "$1" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
server_of() { head -n 1 "$state/owner-$1/processes" | cut -d' ' -f1; }
# Ended, or waiting to be reaped by a parent that is not this script.
gone() { [ ! -e "/proc/$1/stat" ] || [ "$(cut -d' ' -f3 "/proc/$1/stat")" = Z ]; }

start_owner first
first=$owner
start_owner second
second=$owner
[ "$(display_of "$first")" != "$(display_of "$second")" ] || fail "both owners have one display"
answers "$(display_of "$first")" || fail "the second start ended the first owner's display"
answers "$(display_of "$second")" || fail "the second owner's display does not answer"

# The display's number goes to the next server that starts (other tests may run beside this one), so it is
# the server that must be gone.
second_server=$(server_of "$second")
echo >"$state/second.pipe"
wait "$second"
answers "$(display_of "$first")" || fail "the second owner's stop ended the first owner's display"
gone "$second_server" || fail "the second owner's display outlived its stop"

first_server=$(server_of "$first")
kill -KILL "$first"
wait "$first" 2>/dev/null || true
start_owner third
gone "$first_server" || fail "the display of a killed owner was left running"
[ ! -e "$state/owner-$first" ] || fail "the folder of a killed owner was left"
echo >"$state/third.pipe"
echo "two owners' displays lived side by side, and a killed owner's display was ended by the next start"
