#!/usr/bin/env bash
# The palette editor on a real display as a user meets it: an XTest drag of an action from the sidebar onto
# an empty well beside the standard items puts it into the palette layout; the palette over an xterm's
# maximise button then has one more button, whose click fills the screen with the xterm; a drag of the
# action out of the window takes it out of the palette again, the action staying in the sidebar. Places are
# read from the windows' pixels; Python's reader, not ours, reads the settings file.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

python3 - "$XDG_CONFIG_HOME/Skaf/Settings.plist" <<'PYTHON'
import plistlib, sys
with open(sys.argv[1], 'wb') as f:
    plistlib.dump({'Custom Controls (4001)': [{'Action': 11, 'Identifier': 'fill', 'Title': 'Fill'}],
                   'Palette': {}, 'Quit Without Confirmation': True}, f)
PYTHON

# Where the well of an action stands in the stored layout, or nothing.
well_of() {
    python3 - "$XDG_CONFIG_HOME/Skaf/Settings.plist" "$1" <<'PYTHON'
import plistlib, sys
with open(sys.argv[1], 'rb') as f:
    layout = plistlib.load(f).get('Palette', {})
print(' '.join(sorted(k for k, v in layout.items() if v == sys.argv[2])))
PYTHON
}
well_is() { [ "$(well_of fill 2>/dev/null)" = "$1" ]; }

# XTest presses, moves in steps as a hand does (resting on each stop on the way), and releases.
drag() {
    local x y tx ty stop
    IFS=, read -r x y <<<"$1"
    xdotool mousemove "$x" "$y"
    glide 1 1 1
    x=$((x + 1)) y=$((y + 1))
    sleep 0.2
    xdotool mousedown 1
    for stop in "${@:2}"; do
        IFS=, read -r tx ty <<<"$stop"
        glide $((tx - x)) $((ty - y)) 20
        # What the equal steps left over.
        xdotool mousemove_relative -- $(((tx - x) % 20)) $(((ty - y) % 20))
        x=$tx y=$ty
        sleep 0.3
    done
    xdotool mouseup 1
}

# Rests on the xterm's maximise button until the palette shows; its width.
palette_width() {
    xdotool windowactivate --sync "$xterm_window"
    glide_to "$(zoom_button "$xterm_window")"
    wait_for palette_shown || fail "no palette over the xterm's maximise button at $(zoom_button "$xterm_window")"
    sleep 0.3
    read -r _ _ width <<<"$(frame_of "$(palette_window)")"
    echo "$width"
}

start_xterm 50x8+1150+780
xterm_window=$window
start_skaf || fail "skaf did not start"
wait_for settings_window_active || fail "the settings window did not take the keyboard"
settings=$(xdotool search --onlyvisible --name '^Skaf$' | head -n 1)
xdotool mousemove 700 500
before=$(palette_width)
glide_to 700,500
wait_for palette_gone || fail "the palette stayed when the pointer left"
xdotool windowactivate --sync "$settings"
xdotool windowsize --sync "$settings" 761 720
sleep 0.3

mapfile -t items < <(settings_window_points "$settings" palette-items)
[ "${#items[@]}" -eq 5 ] || fail "found ${#items[@]} standard items in the palette pane: ${items[*]}"
IFS=, read -r x6 y3 <<<"${items[3]}"
IFS=, read -r x7 _ <<<"${items[4]}"
# The well right of the last standard item: column 8 of row 3.
target="$((2 * x7 - x6)),$y3"
mapfile -t rows < <(settings_window_points "$settings" sidebar-rows)
[ "${#rows[@]}" -ge 6 ] || fail "found ${#rows[@]} sidebar rows"
# Held over the sidebar's "Palette" row on the way, the drag brings the palette pane up again.
drag "${rows[5]}" "${rows[0]}" "$target"
wait_for well_is 8-3 || fail "the drop at $target did not put the action into well 8-3: $(well_of fill)"
echo "the action dragged from ${rows[5]} to $target stands in well 8-3"

# The palette has one more button, at the right end of its row; its click fills the screen with the xterm.
after=$(palette_width)
[ "$after" -gt "$before" ] || fail "the palette is $after wide with the action, $before without"
palette=$(palette_window)
new_button=$(settings_window_points "$palette" rightmost-glyph)
[ -n "$new_button" ] || fail "no button at the right end of the palette"
read -r _ _ xterm_width <<<"$(frame_of "$xterm_window")"
glide_to "$new_button"
sleep 0.2
xdotool click 1
filled() {
    read -r _ _ width <<<"$(frame_of "$xterm_window")"
    [ "$width" -gt 1400 ]
}
wait_for filled || fail "the click on $new_button left the xterm at $(frame_of "$xterm_window")"
echo "the palette grew from $before to $after points; its new button filled the screen with the xterm"
glide_to 700,500
xdotool windowactivate --sync "$settings"
sleep 0.3

# Out of the window and let go: the action leaves the palette, not the sidebar.
xdotool mousemove 5 5
IFS=, read -r rx ry <<<"$(xwininfo -root | awk '/^ *Width/ {w=$NF} /^ *Height/ {h=$NF} END {print w - 20 "," h - 20}')"
drag "$target" "$rx,$ry"
wait_for well_is "" || fail "the drag out of the window left the action in $(well_of fill)"
[ "$(python3 -c "import plistlib,sys; print(len(plistlib.load(open(sys.argv[1],'rb'))['Custom Controls (4001)']))" \
    "$XDG_CONFIG_HOME/Skaf/Settings.plist")" = 1 ] || fail "the action left the sidebar"
echo "dragged out of the window, it left the palette and stayed in the sidebar"
