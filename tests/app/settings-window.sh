#!/usr/bin/env bash
# The settings window on a real display as a user meets it: it comes back where the user moved it, a later
# start with a file imports the file into it, an XTest drag of a row reorders the actions, and a drag onto
# the desktop deletes one. Python's reader, not ours, reads the stored actions.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

fail() {
    echo "$1"
    cat "$home/skaf.out" 2>/dev/null || true
    exit 1
}

settings="$XDG_CONFIG_HOME/Skaf/Settings.plist"
python3 - "$settings" <<'PYTHON'
import plistlib, sys
records = [{'Action': 21, 'Identifier': name, 'Title': name} for name in 'ABCDE']
with open(sys.argv[1], 'wb') as f:
    # A stored palette layout: a first start would seed the palette with examples of its own.
    plistlib.dump({'Custom Controls (4001)': records, 'Quit Without Confirmation': True, 'Palette': {}}, f)
PYTHON

stored() {
    python3 - "$settings" <<'PYTHON'
import plistlib, sys
with open(sys.argv[1], 'rb') as f:
    print(' '.join(r.get('Title', '?') for r in plistlib.load(f)['Custom Controls (4001)']))
PYTHON
}
stored_is() { [ "$(stored 2>/dev/null)" = "$1" ]; }

start() {
    "$skaf" --platform x11 >>"$home/skaf.out" 2>&1 &
    pid=$!
    children+=("$pid")
    wait_for settings_window_shown || fail "the settings window did not open at launch"
    window=$(xdotool search --onlyvisible --name '^Skaf$' | head -n 1)
}
stop() {
    kill -TERM "$pid"
    wait "$pid" || fail "skaf ended with status $?"
}
position() { xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'; }

# The sidebar's action rows on the screen, top to bottom: the four sections and the "Custom" header come
# first.
action_rows() {
    settings_window_points "$window" sidebar-rows | tail -n +6 | tr '\n' ' '
}

# XTest presses, moves in steps and releases, as a hand does.
drag() {
    local from=$1 to=$2 x y tx ty step
    IFS=, read -r x y <<<"$from"
    IFS=, read -r tx ty <<<"$to"
    xdotool mousemove "$x" "$y"
    sleep 0.2
    xdotool mousedown 1
    for step in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove $((x + (tx - x) * step / 10)) $((y + (ty - y) * step / 10))
        sleep 0.05
    done
    sleep 0.3
    xdotool mouseup 1
}

start
xdotool windowmove --sync "$window" 300 150
moved=$(position)
stop
start
[ "$(position)" = "$moved" ] || fail "the window came back at $(position), not at $moved"

# A later start hands its file over; the running program imports it.
python3 - "$home/more.skaf" <<'PYTHON'
import plistlib, sys
with open(sys.argv[1], 'wb') as f:
    plistlib.dump({'Custom Controls (4001)': [{'Action': 21, 'Identifier': 'A', 'Title': 'Imported'}]}, f)
PYTHON
"$skaf" --platform x11 "$home/more.skaf" >>"$home/skaf.out" 2>&1 || fail "the start with a file ended with status $?"
wait_for stored_is "A B C D E Imported" || fail "the file was not imported: $(stored)"

xdotool windowactivate --sync "$window"
sleep 0.3
read -r -a rows <<<"$(action_rows)"
[ "${#rows[@]}" -eq 6 ] || fail "found ${#rows[@]} action rows: ${rows[*]}"
IFS=, read -r cx cy <<<"${rows[2]}"
drag "${rows[0]}" "$cx,$((cy + 7))"
wait_for stored_is "B C A D E Imported" || fail "the drag did not move A below C: $(stored)"

IFS=, read -r rx ry <<<"$(xwininfo -root | awk '/^ *Width/ {w=$NF} /^ *Height/ {h=$NF} END {print w - 20 "," h - 20}')"
read -r -a rows <<<"$(action_rows)"
drag "${rows[0]}" "$rx,$ry"
wait_for stored_is "C A D E Imported" || fail "the drag onto the desktop did not delete B: $(stored)"
stop
echo "the window came back at $moved, a later start imported its file, and drags reordered and deleted rows"
