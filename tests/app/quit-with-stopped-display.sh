#!/usr/bin/env bash
# Quitting while the X server is stopped (it takes the connection's requests and answers none): skaf ends
# within its bounded wait, saying so when it had to wait, and leaves no lock or socket file behind. The
# server is a display of the test's own, since it is stopped.
# Arguments: the skaf program and the state folder of the test display's fixture (not used).
set -euo pipefail

source "$(dirname "$0")/common.sh"

numberfile="$home/display-number"
setsid Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$numberfile" </dev/null >/dev/null 2>&1 &
server=$!
children+=("$server")
# Whatever happens, the server goes on and ends with the test.
trap 'kill -CONT "$server" 2>/dev/null || true; cleanup' EXIT
has_number() { [ -s "$numberfile" ]; }
wait_for has_number || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(tr -dc '0-9' <"$numberfile")"
without_session_bus

"$skaf" --platform x11 >"$home/skaf.out" 2>&1 &
pid=$!
children+=("$pid")
launched() { grep -q "running on the x11 desktop" "$log" 2>/dev/null; }
wait_for launched || { echo "skaf did not start"; cat "$home/skaf.out"; exit 1; }

kill -STOP "$server"
kill -TERM "$pid"
started_at=$SECONDS
ended() { ! kill -0 "$pid" 2>/dev/null; }
for _ in $(seq 15); do ended && break; sleep 1; done
ended || { echo "skaf still quits after $((SECONDS - started_at)) s"; exit 1; }
status=0
wait "$pid" || status=$?
# A quit that needs no answer of the server (what it would ask is known from the server's events) ends
# as usual; one that waits for an answer ends at the deadline, and says so.
case "$status" in
0) ;;
1) grep -q "quitting did not finish in time" "$home/skaf.out" || { echo "no message"; cat "$home/skaf.out"; exit 1; } ;;
*) echo "skaf ended with status $status"; cat "$home/skaf.out"; exit 1 ;;
esac
[ -z "$(ls -A "$XDG_RUNTIME_DIR")" ] || { echo "the quit left $(ls "$XDG_RUNTIME_DIR")"; exit 1; }
no_bus_started || { echo "skaf started a session bus"; exit 1; }
echo "skaf ended $((SECONDS - started_at)) s after SIGTERM while its X server was stopped"
