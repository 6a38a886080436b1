#!/usr/bin/env bash
# The socket that later starts use, as another process of the user may treat it: 2,000 connections held
# open against a program with few file descriptors, then a plain start still brings the settings window
# back; 200 requests of a megabyte each leave the memory as it was and the log in place; a request of
# 37,000 files gets one line in the log.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

fail() {
    echo "$1"
    [ -f "$log" ] && tail -n 20 "$log"
    exit 1
}
resident_kilobytes() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }
log_lines() { wc -l <"$log"; }
# On a busy machine the program may take longer than one wait_for to catch up with a crowd of connections.
wait_long() {
    local _
    for _ in 1 2 3 4 5 6; do wait_for "$@" && return 0; done
    return 1
}

# Few descriptors, as a user's limit may be: the held connections would use them up.
(ulimit -n 256 && exec "$skaf" --platform x11) >"$home/skaf.out" 2>&1 &
pid=$!
children+=("$pid")
wait_for grep -qs "running on the x11 desktop" "$log" || fail "skaf did not start"
wait_for settings_window_shown || fail "the settings window did not open"
wmctrl -i -c "$(xdotool search --onlyvisible --name '^Skaf$' | head -n 1)"
settings_window_gone() { ! settings_window_shown; }
wait_for settings_window_gone || fail "the settings window did not close"
socket=$(ls "$XDG_RUNTIME_DIR"/skaf-*.socket)
# The program is done with the connections made to it once it holds none of them (its sockets are those it
# had before) and none waits to be taken.
sockets() { find "/proc/$pid/fd" -lname 'socket:*' 2>/dev/null | wc -l; }
idle_sockets=$(sockets)
# The listening socket goes by the name it was made under, in a folder beside the one it was moved to.
waiting_connections() {
    ss -xlnH | awk -v folder="$XDG_RUNTIME_DIR/.skaf-socket-" 'index($5, folder) == 1 { print $3 }'
}
connections_done() { [ "$(sockets)" -le "$idle_sockets" ] && [ "$(waiting_connections)" = 0 ]; }

# Connects COUNT times, sends BYTES on each (none: idle), writes "ready" to its output, and holds the
# connections until its input ends.
hold_connections() {
    python3 - "$socket" "$1" "$2" <<'PYTHON'
import resource, socket, sys, time
path, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
resource.setrlimit(resource.RLIMIT_NOFILE, (count + 64, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))
held = []
for _ in range(count):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.settimeout(5)
    # A full backlog answers at once: the program takes the waiting ones soon.
    deadline = time.monotonic() + 5
    while True:
        try:
            s.connect(path)
            break
        except BlockingIOError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.001)
    if size:
        try:
            s.sendall(b'/' * size)
        except OSError:
            pass
    held.append(s)
print('ready', flush=True)
sys.stdin.read()
PYTHON
}

exec {hold}> >(hold_connections 2000 0 >"$home/held.out")
holder_ready() { grep -qs ready "$home/held.out"; }
wait_for holder_ready || fail "the connections were not made"
status=0
timeout 20 "$skaf" >"$home/again.out" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "a start while 2,000 connections were held ended with status $status: $(cat "$home/again.out")"
wait_for settings_window_shown || fail "the settings window did not come back"
exec {hold}>&-
kill -0 "$pid" || fail "skaf ended"

wait_long connections_done || fail "skaf did not let the 2,000 connections go"
before=$(resident_kilobytes)
lines_before=$(log_lines)
drop_notes() { grep -c "later starts: dropped" "$log" || true; }
notes_before=$(drop_notes)
flood_started=$SECONDS
exec {hold}> >(hold_connections 200 $((1024 * 1024)) >"$home/flood.out")
flood_ready() { grep -qs ready "$home/flood.out"; }
wait_long flood_ready || fail "the requests were not sent"
exec {hold}>&-
# Those still held and waiting are read and let go, and the ones dropped are noted a moment after the first.
wait_long connections_done || fail "skaf did not let the 200 requests go"
flood_noted() { [ "$(drop_notes)" -gt "$notes_before" ]; }
wait_for flood_noted || fail "the connections dropped in the flood were not noted"
flood_seconds=$((SECONDS - flood_started))
after=$(resident_kilobytes)
[ $((after - before)) -lt 10240 ] ||
    fail "200 requests of a megabyte took the resident memory from $before kB to $after kB"
# The requests read are logged in lines of their own, short ones, so that the log stays in place; those dropped
# are noted together, once a second at most however many they are.
[ ! -e "$log.1" ] || fail "the flood filled the log, which was moved aside"
notes=$(($(drop_notes) - notes_before))
[ "$notes" -le $((flood_seconds + 2)) ] ||
    fail "the connections dropped in $flood_seconds s were noted one by one, in $notes lines"
long_lines=$(tail -n +$((lines_before + 1)) "$log" | awk 'length > 20000' | wc -l)
[ "$long_lines" -eq 0 ] || fail "the flood was logged in $long_lines lines of more than 20,000 characters"

lines_before=$(log_lines)
# Short paths: 37,000 of them fit into one request.
short=$(mktemp -d /tmp/skaf.XXXX)
trap 'rm -rf "$short"; cleanup' EXIT
# shellcheck disable=SC2046
(cd "$short" && exec "$skaf" $(seq -f "%g.skaf" 37000)) >"$home/many.out" 2>&1 ||
    fail "a start with 37,000 files failed: $(cat "$home/many.out")"
imported() { grep -q "cannot import from URLs" "$log"; }
wait_for imported || fail "the 37,000 files were not tried"
sleep 0.5
new_lines=$(tail -n +$((lines_before + 1)) "$log")
[ "$(grep -c cannot <<<"$new_lines")" -eq 1 ] || fail "37,000 files gave $(grep -c cannot <<<"$new_lines") lines"
[ "$(grep cannot <<<"$new_lines" | wc -c)" -lt 4000 ] || fail "the line of 37,000 files is too long"

kill -TERM "$pid"
wait "$pid" || fail "skaf ended with status $?"
[ -z "$(ls -A "$XDG_RUNTIME_DIR")" ] || fail "the quit left $(ls "$XDG_RUNTIME_DIR")"
echo "held connections, floods and a request of 37,000 files left later starts working, the resident memory at $after kB after $before kB, and the log short"
