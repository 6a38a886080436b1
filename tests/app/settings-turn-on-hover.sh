#!/usr/bin/env bash
# A new user turns hover on in the settings window: a click on the sidebar's "Hover" row and one on the
# switch at the top of its pane, and at once an xterm follows the pointer while Control and Alt are held.
# Clicks, keys and the pointer go through XTest; the places to click are read from the window's pixels.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

release_keys() { xdotool keyup ctrl alt 2>/dev/null || true; }
trap 'release_keys; cleanup' EXIT

# No settings file: the program as a new user meets it, hover off.
start_xterm 60x20+40+500
xterm_window=$window
start_skaf || fail "skaf did not start"
wait_for settings_window_active || fail "the settings window did not take the keyboard"
settings=$(xdotool search --onlyvisible --name '^Skaf$' | head -n 1)
[ -z "$(stored_setting Hover)" ] || fail "a new user's settings hold \"Hover\" already"

mapfile -t rows < <(settings_window_points "$settings" sidebar-rows)
[ "${#rows[@]}" -ge 4 ] || fail "found ${#rows[@]} sidebar rows"
click_at "${rows[1]}"
sleep 0.3
switch=$(settings_window_points "$settings" pane-control)
[ -n "$switch" ] || fail "no control in the hover pane"
click_at "$switch"
hover_on() { [ "$(stored_setting Hover)" = True ]; }
wait_for hover_on || fail "the click did not turn \"Hover\" on: $(stored_setting Hover)"
echo "\"Hover\" turned on with a click at $switch"

# At once, without a restart: the xterm follows the pointer while Control and Alt are held.
xdotool windowactivate --sync "$xterm_window"
window=$xterm_window
read -r x0 y0 _ <<<"$(frame_of "$window")"
xdotool mousemove $((x0 + 100)) $((y0 + 50))
# The event stream learns where the warp left the pointer.
glide 1 1 1
sleep 0.1
xdotool keydown ctrl alt
glide 200 -100 20
moved() {
    local x y
    read -r x y _ <<<"$(frame_of "$window")"
    [ $((x - x0 - 200)) -ge -1 ] && [ $((x - x0 - 200)) -le 1 ] && [ $((y - y0 + 100)) -ge -1 ] &&
        [ $((y - y0 + 100)) -le 1 ]
}
wait_for moved || fail "the xterm did not follow the pointer: from $x0 $y0 to $(frame_of "$window")"
release_keys
echo "the xterm moved from $x0 $y0 to $(frame_of "$window")"
