#!/usr/bin/env bash
# The program's life as a user starts and stops it: a second start hands over and ends, files it cannot
# import are refused, a signal quits it cleanly, a start after a crash runs, and displays that refuse or
# never answer are reported, not crashed or hung on.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

fail() {
    echo "$1"
    [ -f "$log" ] && cat "$log"
    exit 1
}
started() { [ -f "$log" ] && [ "$(grep -c "running on the x11 desktop" "$log")" -ge "$1" ]; }
no_files_left() { [ -z "$(ls -A "$XDG_RUNTIME_DIR")" ]; }
# As a user starts it where no session bus runs: it starts none.
without_session_bus

"$skaf" >"$home/first.out" 2>&1 &
first=$!
children+=("$first")
wait_for started 1 || fail "skaf did not start"

# Started again, it hands over to the running program, says so and ends.
"$skaf" >"$home/second.out" 2>&1 || fail "the second start ended with status $?"
kill -0 "$first" || fail "the first program ended"
[ "$(grep -c "running on the x11 desktop" "$log")" -eq 1 ] || fail "the second start ran the program"
grep -q "Skaf is already running on this display" "$home/second.out" ||
    fail "the second start did not say that Skaf runs: $(cat "$home/second.out")"

# A start with files hands them over too (the settings window imports them) and ends.
"$skaf" "$home/actions.skaf" >"$home/files.out" 2>&1 || fail "a start with files ended with status $?"
"$skaf" --help | grep -q FILE || fail "the help does not offer to import files"
status=0
"$skaf" --bogus >"$home/bogus.out" 2>"$home/bogus.err" || status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended with status $status"
grep -q 'unknown option "--bogus"' "$home/bogus.err" && grep -q "^Usage: skaf" "$home/bogus.err" ||
    fail "an unknown option did not get the usage on stderr: $(cat "$home/bogus.err")"
[ ! -s "$home/bogus.out" ] || fail "an unknown option wrote to stdout"

# A signal quits as the menu does, and leaves nothing behind.
kill -TERM "$first"
status=0
wait "$first" || status=$?
[ "$status" -eq 0 ] || fail "SIGTERM ended skaf with status $status"
no_files_left || fail "the quit left $(ls "$XDG_RUNTIME_DIR")"
no_bus_started || fail "skaf started a session bus"

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
# A display that takes the connection and never answers.
numberfile="$home/silent-display"
python3 - "$numberfile" <<'PYTHON' &
import socket, sys, time
for number in range(90, 200):
    server = socket.socket()
    try:
        server.bind(('127.0.0.1', 6000 + number))
    except OSError:
        continue
    server.listen(1)
    with open(sys.argv[1], 'w') as f:
        f.write(str(number))
    connections = []
    while True:
        connections.append(server.accept())
PYTHON
children+=($!)
has_number() { [ -s "$numberfile" ]; }
wait_for has_number || fail "no silent display could be made"
started_at=$SECONDS
status=0
DISPLAY="127.0.0.1:$(cat "$numberfile")" "$skaf" >"$home/silent.out" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a display that never answers ended skaf with status $status"
[ $((SECONDS - started_at)) -le 10 ] || fail "skaf took $((SECONDS - started_at)) s to give up on a silent display"
grep -q "skaf: the X display 127.0.0.1:[0-9]* does not answer" "$home/silent.out" ||
    fail "no message for a display that never answers: $(cat "$home/silent.out")"
echo "started twice, stopped, crashed and restarted, and refused files, a dead and a silent display as it should"
