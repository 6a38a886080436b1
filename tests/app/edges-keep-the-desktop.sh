#!/usr/bin/env bash
# Run by scripts/run-on-private-display.sh in place of skaf: on ./run's private display, the xterm dragged
# by its title bar to the left edge, then to the right edge, and held there a second each, stays on its
# desktop, and so does the view. openbox's default would switch desktops there, where snapping asks the
# user to rest. The pointer moves by XTest motion, as a hand moves it.
set -euo pipefail

readonly hold_seconds=1
readonly screen_width=1600

pointer() { xdotool getmouselocation --shell | sed -n "s/^$1=//p"; }
move_to() { xdotool mousemove_relative -- $(($1 - $(pointer X))) $(($2 - $(pointer Y))); }
desktop() { xprop "$@" | sed -n 's/.* = //p'; }

# On a busy machine openbox may take a while to manage the screen: the xterm framed by it, and its
# desktops, are waited for.
window=""
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --class xterm 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && [ -n "$(desktop -id "$window" _NET_FRAME_EXTENTS)" ] &&
        [ -n "$(desktop -root _NET_NUMBER_OF_DESKTOPS)" ] && break
    window=""
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "openbox did not frame the private display's xterm: xterms $(xdotool search --class xterm 2>&1 | xargs)," \
        "$(xprop -root _NET_SUPPORTING_WM_CHECK _NET_NUMBER_OF_DESKTOPS 2>&1 | xargs)" >&2
    exit 1
fi

# Drags the xterm by its title bar in steps of the given width until the pointer stops at the screen's edge,
# holds it there, checks the desktops and lets go.
drag_to_edge() {
    local step=$1 edge=$2 info x y top
    info=$(xwininfo -id "$window")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    top=$(desktop -id "$window" _NET_FRAME_EXTENTS | cut -d, -f3 | tr -d ' ')
    move_to $((x + 100)) $((y - top / 2))
    xdotool mousedown 1
    sleep 0.2
    while [ "$(pointer X)" -ne "$edge" ]; do
        xdotool mousemove_relative -- "$step" 0
        sleep 0.02
    done
    xdotool mousemove_relative -- "$step" 0
    sleep $hold_seconds
    local view on moved
    view=$(desktop -root _NET_CURRENT_DESKTOP)
    on=$(desktop -id "$window" _NET_WM_DESKTOP)
    moved=$(($(xwininfo -id "$window" | sed -n 's/.*Absolute upper-left X: *//p') - x))
    xdotool mouseup 1
    sleep 0.2
    if [ $((moved * step)) -le 0 ]; then
        echo "the xterm did not follow the pointer to x $edge" >&2
        exit 1
    fi
    if [ "$view" != 0 ] || [ "$on" != 0 ]; then
        echo "held at x $edge: the view went to desktop $view, the xterm to desktop $on" >&2
        exit 1
    fi
    echo "held at x $edge: the view and the xterm stayed on desktop 0"
}

[ "$(desktop -root _NET_NUMBER_OF_DESKTOPS)" -gt 1 ] || { echo "openbox offers one desktop only" >&2; exit 1; }
drag_to_edge -20 0
drag_to_edge 20 $((screen_width - 1))
