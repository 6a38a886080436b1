#!/usr/bin/env bash
# The program's life as a user starts and stops it: a second start hands over and ends, a signal quits it
# cleanly, a start after a crash runs, and a display that does not answer is reported, not crashed on.
# Arguments: the skaf program and the file that names the test display.
set -euo pipefail

source "$(dirname "$0")/common.sh"

fail() {
    echo "$1"
    [ -f "$log" ] && cat "$log"
    exit 1
}
started() { [ -f "$log" ] && [ "$(grep -c "running on the x11 desktop" "$log")" -ge "$1" ]; }
no_files_left() { [ -z "$(ls -A "$XDG_RUNTIME_DIR")" ]; }

"$skaf" >"$home/first.out" 2>&1 &
first=$!
children+=("$first")
wait_for started 1 || fail "skaf did not start"

# Started again, it hands over to the running program and ends.
"$skaf" >"$home/second.out" 2>&1 || fail "the second start ended with status $?"
kill -0 "$first" || fail "the first program ended"
[ "$(grep -c "running on the x11 desktop" "$log")" -eq 1 ] || fail "the second start ran the program"

# A signal quits as the menu does, and leaves nothing behind.
kill -TERM "$first"
status=0
wait "$first" || status=$?
[ "$status" -eq 0 ] || fail "SIGTERM ended skaf with status $status"
no_files_left || fail "the quit left $(ls "$XDG_RUNTIME_DIR")"

# A crash leaves its lock and socket; the next start runs all the same.
"$skaf" >"$home/crashing.out" 2>&1 &
crashing=$!
children+=("$crashing")
wait_for started 2 || fail "skaf did not start again"
kill -KILL "$crashing"
wait "$crashing" 2>/dev/null || true
"$skaf" >"$home/after-crash.out" 2>&1 &
children+=($!)
wait_for started 3 || fail "skaf did not start after a crash"

# A display that does not answer.
status=0
DISPLAY=:65000 "$skaf" >"$home/no-display.out" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a display that does not answer ended skaf with status $status"
grep -q "skaf: cannot connect to the X display :65000" "$home/no-display.out" ||
    fail "no message for a display that does not answer: $(cat "$home/no-display.out")"
echo "started twice, stopped, crashed and restarted, and refused a dead display as it should"
