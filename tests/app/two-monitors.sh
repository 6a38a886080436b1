#!/usr/bin/env bash
# Two monitors side by side, made with RandR in both listing orders, with and without a primary one, and a
# panel along the bottom of the left one only: fill, move to the other display and left half put an xterm
# where a user expects them, on the right monitor and inside the screen (xwininfo).
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

# Fill on Control-Shift-F5, left half on F6, to the display on the right (round the end) on F7.
cat >"$XDG_CONFIG_HOME/Skaf/Settings.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>Custom Controls (4001)</key>
  <array>
    <dict>
      <key>Action</key><integer>11</integer>
      <key>Hot Key</key><dict><key>Key Code</key><integer>96</integer><key>Modifier Flags</key><integer>393216</integer></dict>
    </dict>
    <dict>
      <key>Action</key><integer>12</integer>
      <key>Move Direction</key><integer>9</integer>
      <key>Hot Key</key><dict><key>Key Code</key><integer>97</integer><key>Modifier Flags</key><integer>393216</integer></dict>
    </dict>
    <dict>
      <key>Action</key><integer>41</integer>
      <key>Move Direction</key><integer>5</integer>
      <key>Move To Other Display: Loop</key><true/>
      <key>Hot Key</key><dict><key>Key Code</key><integer>98</integer><key>Modifier Flags</key><integer>393216</integer></dict>
    </dict>
  </array>
  <key>Quit Without Confirmation</key><true/>
</dict>
</plist>
PLIST

read -r screen_width screen_height <<<"$(xwininfo -root | awk '/^ *Width/ {w=$NF} /^ *Height/ {h=$NF} END {print w, h}')"
half=$((screen_width / 2))
panel=60
# xterm's size goes in steps of its character cells, and openbox adds its title bar and border.
slack=40

monitors=()
remove_monitors() {
    local name
    for name in "${monitors[@]}"; do xrandr --delmonitor "$name" >/dev/null 2>&1 || true; done
    monitors=()
}
trap 'remove_monitors; cleanup' EXIT

# The panel: a dock's strut along the bottom of the left half of the root.
xlogo -geometry "${half}x${panel}+0+$((screen_height - panel))" >/dev/null 2>&1 &
children+=($!)
panel_window=$(find_window --class xlogo) || fail "the panel did not show"
xprop -id "$panel_window" -f _NET_WM_STRUT_PARTIAL 32c \
    -set _NET_WM_STRUT_PARTIAL "0, 0, 0, $panel, 0, 0, 0, 0, 0, 0, 0, $((half - 1))"

title="skaf-two-monitors-$$"
xterm -geometry 60x20+100+100 -T "$title" >/dev/null 2>&1 &
children+=($!)
window=$(find_window --name "$title") || fail "the xterm $title did not show"

# The frame openbox draws around the window: left, top, width, height in root coordinates.
frame() {
    local x y w h l r t b
    read -r x y w h <<<"$(xwininfo -id "$window" |
        awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /^ *Width/ {w=$NF} /^ *Height/ {h=$NF} END {print x, y, w, h}')"
    read -r l r t b <<<"$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
# Whether the frame starts at the area's top left and fills it, short of at most one step of the slack.
fills() {
    local ax=$1 ay=$2 aw=$3 ah=$4 x y w h
    read -r x y w h <<<"$(frame)"
    [ "$x" -eq "$ax" ] && [ "$y" -eq "$ay" ] && [ $((x + w)) -le $((ax + aw)) ] && [ $((y + h)) -le $((ay + ah)) ] &&
        [ "$w" -ge $((aw - slack)) ] && [ "$h" -ge $((ah - slack)) ]
}
# Whether the whole frame lies in the area.
inside() {
    local ax=$1 ay=$2 aw=$3 ah=$4 x y w h
    read -r x y w h <<<"$(frame)"
    [ "$x" -ge "$ax" ] && [ "$y" -ge "$ay" ] && [ $((x + w)) -le $((ax + aw)) ] && [ $((y + h)) -le $((ay + ah)) ]
}
press() {
    xdotool windowactivate --sync "$window"
    xdotool key "ctrl+shift+$1"
}
# The program asks for the focus of its new settings window once the server has mapped it: the request can
# come after the xterm was brought forward, and the hot key then acts on the settings window. So the first
# key is pressed again until the xterm is where it should be, each press waited for.
press_until() {
    local key=$1 _
    shift
    for _ in 1 2 3 4 5; do
        press "$key"
        for _ in $(seq 10); do
            "$@" && return 0
            sleep 0.1
        done
    done
}
expect() {
    local what=$1 check=$2
    shift 2
    wait_for "$check" "$@" || { echo "$configuration: $what gave $(frame); $check $* expected"; cat "$log"; exit 1; }
}

# Each configuration: the monitors as RandR lists them ("*" marks the primary one), each "name geometry output".
configurations=(
    "Right ${half}x${screen_height}+${half}+0 none|Left ${half}x${screen_height}+0+0 screen"
    "Left ${half}x${screen_height}+0+0 screen|Right ${half}x${screen_height}+${half}+0 none"
    "*Right ${half}x${screen_height}+${half}+0 none|Left ${half}x${screen_height}+0+0 screen"
    "Left ${half}x${screen_height}+0+0 screen|*Right ${half}x${screen_height}+${half}+0 none"
)
for configuration in "${configurations[@]}"; do
    IFS='|' read -r -a listed <<<"$configuration"
    for monitor in "${listed[@]}"; do
        read -r name geometry output <<<"$monitor"
        # Millimetres do not matter here: a quarter of the pixels.
        size=${geometry%%+*}
        mm="${size%x*}/$((${size%x*} / 4))x${size#*x}/$((${size#*x} / 4))+${geometry#*+}"
        xrandr --setmonitor "$name" "$mm" "$output" >/dev/null
        monitors+=("${name#\*}")
    done

    xdotool windowmove --sync "$window" 100 100
    "$skaf" --platform x11 >"$home/skaf.out" 2>&1 &
    pid=$!
    children+=("$pid")
    launched() { grep -q "running on the x11 desktop" "$log" 2>/dev/null; }
    wait_for launched || { echo "skaf did not start"; cat "$home/skaf.out"; exit 1; }
    wait_for settings_window_active || { echo "the settings window did not take the keyboard"; exit 1; }

    press_until F5 fills 0 0 "$half" $((screen_height - panel)) || true
    expect "fill on the left monitor" fills 0 0 "$half" $((screen_height - panel))
    press F7
    expect "the move to the right monitor" inside "$half" 0 "$half" "$screen_height"
    press F7
    expect "the move round to the left monitor" inside 0 0 "$half" $((screen_height - panel))
    press F7
    # The fill waits for the move: frames are set one request at a time, off the main thread.
    expect "the move back to the right monitor" inside "$half" 0 "$half" "$screen_height"
    press F5
    expect "fill on the right monitor" fills "$half" 0 "$half" "$screen_height"
    press F6
    expect "the left half of the right monitor" fills "$half" 0 $((half / 2)) "$screen_height"

    kill -TERM "$pid"
    wait "$pid" || true
    rm -f "$log"
    remove_monitors
    echo "$configuration: as expected"
done
