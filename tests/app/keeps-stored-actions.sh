#!/usr/bin/env bash
# Stored actions that this version cannot use survive a start and a quit: a newer version's type, an
# entry that is no record, keys it does not know, folders nested past the limit and a hot key without
# its text. Python's reader, not ours, compares the stored arrays.
# Arguments: the skaf program and the state folder of the test display's fixture.
set -euo pipefail

source "$(dirname "$0")/common.sh"

settings="$XDG_CONFIG_HOME/Skaf/Settings.plist"
python3 - "$settings" <<'PYTHON'
import plistlib, sys
deep = {'Action': 11, 'Identifier': 'deepest'}
for level in range(100):
    deep = {'Action': 10001, 'Identifier': 'level %d' % level, 'Children': [deep]}
records = [
    {'Action': 31, 'Identifier': 'move', 'Move Delta': '50', 'Future Setting': {'Depth': 3}},
    {'Action': 4242, 'Identifier': 'future', 'Future Setting': [1, 2]},
    'junk',
    deep,
    {'Action': 11, 'Identifier': 'fill', 'Hot Key': {'Key Code': 96, 'Modifier Flags': 393216}},
]
with open(sys.argv[1], 'wb') as f:
    # A stored palette layout: a first start would seed the palette with examples of its own.
    plistlib.dump({'Custom Controls (4001)': records, 'Palette': {}}, f)
PYTHON
cp "$settings" "$home/before.plist"

"$skaf" --platform x11 >"$home/skaf.out" 2>&1 &
pid=$!
children+=("$pid")
launched() { grep -q "running on the x11 desktop" "$log" 2>/dev/null; }
wait_for launched || { echo "skaf did not start"; cat "$home/skaf.out"; exit 1; }
kept() { grep -q "keeping 3 stored action records" "$log"; }
wait_for kept || { echo "the unusable records were not kept"; cat "$log"; exit 1; }
kill -TERM "$pid"
wait "$pid"

python3 - "$home/before.plist" "$settings" <<'PYTHON'
import plistlib, sys
def stored(path):
    with open(path, 'rb') as f:
        return plistlib.load(f)['Custom Controls (4001)']
before, after = stored(sys.argv[1]), stored(sys.argv[2])
if before != after:
    sys.exit('the stored actions changed at quit:\n%r\n%r' % (before, after))
PYTHON
echo "a start and a quit kept every stored action as it was"
