#!/usr/bin/env bash
# The whole program on a real X display with "Hover" on: an xterm follows the pointer while Control and Alt
# are held, stays put once they are let go, and grows with the pointer while Super is held too. The active
# window stays as it was. Keys and pointer are driven through XTest.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

write_settings '  <key>Hover</key><true/>
  <key>ZRDebugLog</key><true/>
  <key>Quit Without Confirmation</key><true/>'

release_keys() { xdotool keyup ctrl alt super 2>/dev/null || true; }
trap 'release_keys; cleanup' EXIT

start_xterm 60x20+200+150
start_skaf || fail "skaf did not start"
wait_for settings_window_active || fail "the settings window did not take the keyboard"
# The tap listens once the launch has run its course.
sleep 0.5

xdotool windowactivate --sync "$window"
active=$(active_window)
read -r x0 y0 w0 <<<"$(frame_of "$window")"
xdotool mousemove $((x0 + 100)) $((y0 + 50))
# The event stream learns where the warp left the pointer.
glide 1 1 1
sleep 0.1

xdotool keydown ctrl alt
glide 200 100 20
moved() { read -r x y _ <<<"$(frame_of "$window")"; [ $((x - x0 - 200)) -ge -1 ] && [ $((x - x0 - 200)) -le 1 ] &&
    [ $((y - y0 - 100)) -ge -1 ] && [ $((y - y0 - 100)) -le 1 ]; }
wait_for moved || fail "the xterm did not follow the pointer: from $x0 $y0 to $(frame_of "$window")"
echo "moved from $x0 $y0 to $(frame_of "$window")"

xdotool keyup ctrl alt
read -r x1 y1 w1 <<<"$(frame_of "$window")"
glide 50 0 5
sleep 0.3
[ "$(frame_of "$window")" = "$x1 $y1 $w1" ] || fail "the xterm moved without the keys: $(frame_of "$window"), was $x1 $y1 $w1"

cell=$(xprop -id "$window" WM_NORMAL_HINTS | awk '/resize increment/ {print $(NF-2)}')
xdotool keydown ctrl alt super
glide 120 0 12
grown() { read -r _ _ w <<<"$(frame_of "$window")"; [ $((w - w1 - 120)) -gt "-$cell" ] && [ $((w - w1 - 120)) -lt "$cell" ]; }
wait_for grown || fail "the xterm did not grow by 120 within a cell of $cell: $w1 to $(frame_of "$window")"
xdotool keyup ctrl alt super
echo "grown from width $w1 to $(frame_of "$window"), cells of $cell"

[ "$(active_window)" = "$active" ] || fail "the active window changed from $active to $(active_window)"
