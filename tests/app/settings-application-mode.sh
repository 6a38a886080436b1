#!/usr/bin/env bash
# "Application Mode" chosen in the general settings popover of a running program: with a taskbar entry (0)
# the settings window is a normal window, with the status item alone (1) a utility window that stays out of
# the taskbar; it stays where it was each time, and the settings file holds the last choice after the quit.
# The popover opens with a click on the gear; the keys choose in its pop-up. Checked with xprop and xwininfo.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

settings_window() { xdotool search --onlyvisible --name '^Skaf$' 2>/dev/null | head -n 1; }
# The first of the window's types, the one the window manager takes (Qt adds "normal" for those that know no
# other).
window_type() { xprop -id "$(settings_window)" _NET_WM_WINDOW_TYPE 2>/dev/null | sed 's/.* = //; s/,.*//'; }
position() { read -r x y _ <<<"$(frame_of "$(settings_window)")"; echo "$x $y"; }
mode_is() { [ "$(stored_setting 'Application Mode')" = "$1" ] && [ "$(window_type)" = "$2" ]; }
popover_shown() { [ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -ge 2 ]; }
# The window is made again with its new kind; openbox frames it a moment after the type is readable.
back_at() { [ "$(position)" = "$1" ]; }

start_skaf || fail "skaf did not start"
pid=${children[-1]}
wait_for settings_window_active || fail "the settings window did not take the keyboard"
[ "$(window_type)" = _NET_WM_WINDOW_TYPE_UTILITY ] || fail "with a status item alone the window is $(window_type)"
where=$(position)

click_at "$(settings_window_points "$(settings_window)" gear)"
wait_for popover_shown || fail "the gear opened no popover"
# The popover takes the keyboard at its first control, the switch of stealth mode; the pop-up of the mode
# comes next.
xdotool key Tab Up
wait_for mode_is 0 _NET_WM_WINDOW_TYPE_NORMAL ||
    fail "mode 0: stored \"$(stored_setting 'Application Mode')\", window $(window_type)"
wait_for back_at "$where" || fail "with mode 0 the window moved from $where to $(position)"
echo "mode 0: a normal window at $where"

# The popover comes back once the window has its new kind, the pop-up still taking the keys.
wait_for popover_shown || fail "the popover did not come back"
xdotool key Down
wait_for mode_is 1 _NET_WM_WINDOW_TYPE_UTILITY ||
    fail "mode 1: stored \"$(stored_setting 'Application Mode')\", window $(window_type)"
wait_for back_at "$where" || fail "with mode 1 the window moved from $where to $(position)"
echo "mode 1: a utility window at $where"

kill -TERM "$pid"
wait "$pid" || fail "skaf ended with status $?"
[ "$(stored_setting 'Application Mode')" = 1 ] || fail "after the quit the settings file holds $(stored_setting 'Application Mode')"
