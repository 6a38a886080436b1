#!/usr/bin/env bash
# A hot key among 2,000 windows: the window list of the window manager is longer than one read of a
# property gives, and the window in front is at its end. The hot key still moves it.
# Arguments: the skaf program, the state folder of the test display's fixture, the program that maps
# windows.
set -euo pipefail

source "$(dirname "$0")/common.sh"
map_windows=${3:?usage: many-windows.sh SKAF DISPLAY-STATE-FOLDER MAP-WINDOWS}
readonly crowd=2000

# Left half on Control-Shift-F5 (key code 96; Shift 0x20000 and Control 0x40000).
write_settings '  <key>Custom Controls (4001)</key>
  <array>
    <dict>
      <key>Action</key><integer>12</integer>
      <key>Identifier</key><string>left-half</string>
      <key>Move Direction</key><integer>9</integer>
      <key>Hot Key</key>
      <dict>
        <key>Key Code</key><integer>96</integer>
        <key>Modifier Flags</key><integer>393216</integer>
      </dict>
    </dict>
  </array>
  <key>Quit Without Confirmation</key><true/>
  <key>Stealth Mode</key><true/>
  <key>Show Intro Popover</key><false/>'

fail() {
    echo "$1"
    [ -f "$log" ] && tail -n 20 "$log"
    exit 1
}
frame_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /^ *Width/ {w=$NF} END {print x, w}'; }
managed() { [ "$(xprop -root _NET_CLIENT_LIST_STACKING | tr ',' '\n' | grep -c 0x)" -gt "$crowd" ]; }

# The xterm first: the window manager takes seconds to manage a window among thousands. Searches by name
# would read every window's properties; the program shows no settings window at launch for the same reason.
start_xterm 60x20+400+300
exec {crowd_input}> >("$map_windows" "$crowd" >"$home/crowd.out")
children+=($!)
for _ in $(seq 12); do managed && break; wait_for managed || true; done
managed || fail "the window manager did not manage $crowd windows"

start_skaf || fail "skaf did not start"
wmctrl -i -a "$window"
xterm_active() { [ $(($(xprop -root _NET_ACTIVE_WINDOW | awk '{ print $NF }'))) -eq $((window)) ]; }
for _ in $(seq 6); do xterm_active && break; wait_for xterm_active || true; done
xterm_active || fail "the xterm did not come to the front"
before=$(frame_of "$window")
moved() { [ "$(frame_of "$window")" != "$before" ]; }
# Pressed again while the program may still be starting; a second press leaves the half as it is.
for _ in 1 2 3; do
    xdotool key ctrl+shift+F5
    wait_for moved && break
done
moved || fail "among $crowd windows the hot key did not move the window in front: $before"
read -r x _ <<<"$(frame_of "$window")"
[ "$x" -le 2 ] || fail "the window is not at the left edge"
exec {crowd_input}>&-
echo "among $crowd windows the hot key moved the window in front from $before to the left half"
