#!/usr/bin/env bash
# The whole program on a real X display: a custom action stored in the settings, its hot key pressed
# while an xterm is in front, and the xterm on the left half of the screen afterwards.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

# Left half on Control-Shift-F5 (key code 96; Shift 0x20000 and Control 0x40000).
write_settings '  <key>Custom Controls (4001)</key>
  <array>
    <dict>
      <key>Action</key><integer>12</integer>
      <key>Identifier</key><string>left-half</string>
      <key>Move Direction</key><integer>9</integer>
      <key>Hot Key</key>
      <dict>
        <key>Visual Representation</key><string>F5</string>
        <key>Key Code</key><integer>96</integer>
        <key>Modifier Flags</key><integer>393216</integer>
      </dict>
    </dict>
  </array>
  <key>Quit Without Confirmation</key><true/>'

frame_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /^ *Width/ {w=$NF} END {print x, w}'; }

start_xterm 60x20+400+300
start_skaf || { echo "skaf did not start"; cat "$home/skaf.log"; exit 1; }
wait_for settings_window_active || { echo "the settings window did not take the keyboard"; exit 1; }

before=$(frame_of "$window")
moved() { [ "$(frame_of "$window")" != "$before" ]; }
# The program asks for the focus of its new settings window once the server has mapped it, and openbox may
# have focused the window on its own before: the request can come after the xterm was brought forward, and
# the hot key then acts on the settings window. So the xterm is brought forward and the key pressed again
# until the xterm moves, each press waited for.
for attempt in 1 2 3 4 5; do
    xdotool windowactivate --sync "$window"
    xdotool key ctrl+shift+F5
    for _ in $(seq 10); do
        moved && break 2
        sleep 0.1
    done
    echo "attempt $attempt: the xterm did not move; the active window is $(xprop -root _NET_ACTIVE_WINDOW)"
done
moved || { echo "the window did not move: $before"; cat "$home/skaf.log"; exit 1; }

read -r x width <<<"$(frame_of "$window")"
screen_width=$(xwininfo -root | awk '/^ *Width/ {print $NF}')
echo "before: $before; after: x $x, width $width; screen width $screen_width"
# The frame (client plus openbox's border) fills the left half; xterm's cell size rounds the client down.
[ "$x" -le 2 ] || { echo "not at the left edge"; exit 1; }
[ "$width" -le $((screen_width / 2)) ] && [ "$width" -ge $((screen_width / 2 - 20)) ] ||
    { echo "not half the screen wide"; exit 1; }
# The backend connects on a thread of its own while the application is made: Qt must still take the
# program's first thread for its main thread.
! grep -q "not created in the main() thread" "$home/skaf.log" ||
    { echo "Qt took another thread for the main thread"; cat "$home/skaf.log"; exit 1; }
