#!/usr/bin/env bash
# "Open these settings when Skaf starts" turned off in the general settings popover, as a user does it: the
# next start opens no window of ours, and starting the program again while it runs still brings the settings
# window. Checked with xdotool's search of the visible windows.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

# Ours by the process, not by the name alone: a program of the test before may still be closing its window.
settings_window() { xdotool search --onlyvisible --pid "$pid" --name '^Skaf$' 2>/dev/null | head -n 1; }
own_settings_window_active() {
    local window
    window=$(settings_window)
    [ -n "$window" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]
}
own_settings_window_shown() { [ -n "$(settings_window)" ]; }
popover_shown() { [ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -ge 2 ]; }
visible_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
stealth_stored() { [ "$(stored_setting 'Stealth Mode')" = True ]; }

start_skaf || fail "skaf did not start"
pid=${children[-1]}
wait_for own_settings_window_active || fail "the settings window did not open at the first start"
click_at "$(settings_window_points "$(settings_window)" gear)"
wait_for popover_shown || fail "the gear opened no popover"
# The popover takes the keyboard at its first control, the switch, once it is up.
sleep 0.3
xdotool key space
wait_for stealth_stored ||
    fail "the switch stored \"$(stored_setting 'Stealth Mode')\" as the stealth mode"
kill -TERM "$pid"
wait "$pid" || fail "skaf ended with status $?"

rm -f "$log"
start_skaf || fail "skaf did not start again"
pid=${children[-1]}
# The window would open within the start; a second more for a slow machine.
for _ in $(seq 10); do
    [ "$(visible_windows)" -eq 0 ] || fail "the start in stealth mode showed $(visible_windows) windows"
    sleep 0.1
done
stealth_stored || fail "the stealth mode is no longer stored"

"$skaf" --platform x11 >>"$home/skaf.log" 2>&1 || fail "the second start ended with status $?"
wait_for own_settings_window_shown || fail "starting skaf again while it runs did not show the settings window"
kill -TERM "$pid"
wait "$pid" || fail "skaf ended with status $?"
echo "the switch turned off stored stealth mode, the next start showed nothing, and a later start showed the window"
