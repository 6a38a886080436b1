#!/usr/bin/env bash
# One user's Skaf on two displays with one settings folder: the start on the second display hands over to
# the program of the first and says where it runs, so that an action imported on each is in the settings
# file after the program quit, not only the one of whichever saved last.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

fail() {
    echo "$1"
    [ -f "$log" ] && cat "$log"
    exit 1
}
settings="$XDG_CONFIG_HOME/Skaf/Settings.plist"
# A stored palette layout: a first start would seed the palette with examples of its own.
write_settings '<key>Palette</key><dict/>'
# An exported file of one action with the title given.
write_actions() {
    python3 - "$1" "$2" <<'PYTHON'
import plistlib, sys
with open(sys.argv[1], 'wb') as f:
    plistlib.dump({'Custom Controls (4001)': [{'Action': 19, 'Title': sys.argv[2]}]}, f)
PYTHON
}
write_actions "$home/first.skaf" "Imported on the first display"
write_actions "$home/second.skaf" "Imported on the second display"

numberfile="$home/display-number"
# Without -noreset, the display resets when its last client leaves, and drops a client that is still
# connecting: the start that follows another on the second display, while the display has yet to see the
# one before it go.
setsid Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$numberfile" </dev/null >/dev/null 2>&1 &
children+=($!)
has_number() { [ -s "$numberfile" ]; }
wait_for has_number || fail "the second display did not start"
first_display=$DISPLAY
second_display=":$(tr -dc '0-9' <"$numberfile")"

start_skaf || fail "skaf did not start on the first display"
status=0
DISPLAY=$second_display timeout 20 "$skaf" "$home/second.skaf" >"$home/second.out" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "the start with a file on the second display ended with status $status"
DISPLAY=$second_display timeout 20 "$skaf" >"$home/again.out" 2>&1 ||
    fail "the start on the second display failed: $(cat "$home/again.out")"
grep -q "Skaf is already running on display $first_display\." "$home/again.out" ||
    fail "the start on the second display did not say where Skaf runs: $(cat "$home/again.out")"
"$skaf" "$home/first.skaf" >"$home/first.out" 2>&1 || fail "the start with a file on the first display failed"
[ "$(grep -c "running on the x11 desktop" "$log")" -eq 1 ] || fail "more than one program ran"

imported() { [ "$(grep -c "Imported on the" "$settings" 2>/dev/null)" -eq 2 ]; }
wait_for imported || fail "the settings file lacks an import: $(cat "$settings")"
pid=${children[-1]}
kill -TERM "$pid"
wait "$pid" || fail "skaf ended with status $?"
imported || fail "after the quit, the settings file lacks an import: $(cat "$settings")"
echo "the start on the second display handed its file to the program of the first, and both imports were kept"
