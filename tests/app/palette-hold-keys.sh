#!/usr/bin/env bash
# The palette under the keys that put it away, on a real display as a user meets it: with the zoom-button
# overlay on, a rest on an xterm's maximise button shows the overlay and the palette; Control held (through
# XTest) takes both off the screen, and letting it go brings them back.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

write_settings '<key>Mouse Controls: Zoom Button Behavior</key><integer>1</integer>
<key>Stealth Mode</key><true/><key>Show Intro Popover</key><false/>
<key>Quit Without Confirmation</key><true/>'

overlay_shown() { xdotool search --onlyvisible --name '^Zoom Button$' >/dev/null 2>&1; }
both_shown() { palette_shown && overlay_shown; }
both_gone() { palette_gone && ! overlay_shown; }

start_xterm 50x8+600+400
xterm_window=$window
start_skaf || fail "skaf did not start"
xdotool windowactivate --sync "$xterm_window"
xdotool mousemove 300 300
glide 1 1 1
# The program listens for the pointer a moment after it says it runs.
for _ in 1 2 3; do
    glide_to "$(zoom_button "$xterm_window")"
    wait_for both_shown && break
    glide_to 300,300
done
both_shown || fail "no palette and overlay over the xterm's maximise button at $(zoom_button "$xterm_window")"

xdotool keydown ctrl
wait_for both_gone || { xdotool keyup ctrl; fail "Control held left the palette or the overlay on the screen"; }
xdotool keyup ctrl
wait_for both_shown || fail "letting Control go did not bring the palette and the overlay back"
echo "Control held took the palette and the overlay away, and letting it go brought them back"
