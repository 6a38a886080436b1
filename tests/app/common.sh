# Sourced by the tests of the whole program: the test display and its session bus, a scratch home for the
# program's files, the children killed at the end, and a wait for a condition.
# Arguments of the sourcing script: the skaf program and the state folder of the test display's fixture,
# which files the display under its owner, the parent of the fixture and of the tests (see x11-display.sh).

skaf=${1:?usage: $(basename "$0") SKAF DISPLAY-STATE-FOLDER}
display_run="${2:?usage: $(basename "$0") SKAF DISPLAY-STATE-FOLDER}/owner-$PPID"
[ -s "$display_run/display" ] || { echo "no test display in $display_run: run the test through ctest"; exit 1; }
export DISPLAY
DISPLAY=$(cat "$display_run/display")
if [ -s "$display_run/bus" ]; then
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$display_run/bus")
fi

home=$(mktemp -d)
children=()
cleanup() {
    local pid
    for pid in "${children[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT

export XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" XDG_DATA_HOME="$home/data"
export XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_CONFIG_HOME/Skaf" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
log="$XDG_STATE_HOME/Skaf/Skaf.jsonl"
# Runs what follows as a user's session with no bus: a bus that the program started would leave its address
# in the scratch home.
without_session_bus() {
    unset DBUS_SESSION_BUS_ADDRESS
    export HOME="$home"
}
no_bus_started() { [ ! -e "$home/.dbus" ]; }

# In sanitized builds the program's exit status also tells of leaks; those of libraries are not ours.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/leak-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# Waits up to five seconds for a condition, checking every tenth of a second.
wait_for() {
    local _
    for _ in $(seq 50); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}

# The settings window opens at launch and takes the keyboard: a test that presses keys in another window
# waits until it has, then brings that window to the front.
settings_window_shown() { xdotool search --onlyvisible --name '^Skaf$' >/dev/null 2>&1; }
settings_window_active() {
    local window
    window=$(xdotool search --onlyvisible --name '^Skaf$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]
}

# Writes the program's settings file: the keys and values given, in property-list XML, make up its dictionary.
write_settings() {
    cat >"$XDG_CONFIG_HOME/Skaf/Settings.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
$1
</dict>
</plist>
PLIST
}

# Starts an xterm at the geometry and sets $window to its window.
start_xterm() {
    local title="skaf-test-$$-$RANDOM"
    xterm -geometry "$1" -T "$title" >/dev/null 2>&1 &
    children+=($!)
    window=$(find_window --name "$title") || fail "the xterm $title did not show"
}

# The first window that `xdotool search` finds with these arguments, waited for up to five seconds. A search
# dies of an X error when any window on the display vanishes while it reads it, as those that the test
# before ours left behind still do: each try stands alone.
find_window() {
    local _ found
    for _ in $(seq 100); do
        found=$(xdotool search "$@" 2>/dev/null | head -n 1) || true
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Starts the program on the display and waits until it runs; false when it does not start.
start_skaf() {
    "$skaf" --platform x11 >"$home/skaf.log" 2>&1 &
    children+=($!)
    wait_for grep -qs "running on the x11 desktop" "$log"
}

# Ends the test with the message and what the program wrote. Tests that keep other output define their own.
fail() {
    echo "$1"
    cat "$home/skaf.log" "$log" 2>/dev/null || true
    exit 1
}

# x y width of a window's inside, as xwininfo reports it.
frame_of() {
    xwininfo -id "$1" |
        awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /^ *Width/ {w=$NF} END {print x, y, w}'
}
active_window() { xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}'; }

# Moves the pointer by (dx, dy) in equal steps, as a hand would: relative XTest motion, since xdotool's
# absolute moves warp the pointer, which makes no motion event.
glide() {
    local i
    for i in $(seq "$3"); do
        xdotool mousemove_relative -- $(($1 / $3)) $(($2 / $3))
        sleep 0.02
    done
}

# Points of the settings window found in its pixels (see window-pixels.py), one "x,y" per line.
settings_window_points() {
    local x y _
    read -r x y _ <<<"$(frame_of "$1")"
    xwd -silent -id "$1" >"$home/window.xwd"
    python3 "$(dirname "$0")/window-pixels.py" "$home/window.xwd" "$x" "$y" "$2"
}

# A click there, as "x,y".
click_at() {
    local x y
    IFS=, read -r x y <<<"$1"
    xdotool mousemove "$x" "$y" click 1
}

# The settings file's value of a key, as Python's reader (not ours) reads it; empty without one.
stored_setting() {
    python3 - "$XDG_CONFIG_HOME/Skaf/Settings.plist" "$1" <<'PYTHON'
import plistlib, sys
try:
    with open(sys.argv[1], 'rb') as f:
        value = plistlib.load(f).get(sys.argv[2])
except (OSError, plistlib.InvalidFileException):
    value = None
print('' if value is None else value)
PYTHON
}

# A window's maximise button, as "x,y", from its frame as openbox draws it (the layout "NLIMC", paddings 3
# and 2).
zoom_button() {
    local x y w extents left right top
    read -r x y w <<<"$(frame_of "$1")"
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    read -r left right top _ <<<"$extents"
    local title=$((top - 2 * left)) size gap=4 max_x
    size=$((title - 6))
    max_x=$((x + w + right - left))
    echo "$((max_x - gap - size - gap - size / 2)),$((y - top + left + 3 + size / 2))"
}
pointer_at() { xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1,\2/'; }
# Glides there as a hand does, from wherever the pointer is.
glide_to() {
    local x y tx ty
    IFS=, read -r x y <<<"$(pointer_at)"
    IFS=, read -r tx ty <<<"$1"
    glide $((tx - x)) $((ty - y)) 20
    xdotool mousemove_relative -- $(((tx - x) % 20)) $(((ty - y) % 20))
}
palette_window() { xdotool search --onlyvisible --name '^Palette$' 2>/dev/null | head -n 1; }
palette_shown() { [ -n "$(palette_window)" ]; }
palette_gone() { [ -z "$(palette_window)" ]; }
