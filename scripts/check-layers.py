#!/usr/bin/env python3
"""Checks that the program's folders include only what lies below them, and counts how often code
reaches a shared instance through its accessor instead of being handed the object.

Usage: check-layers.py [SOURCE_ROOT] [--max-accessor-calls N]

Exits 1 when an include runs upward (each one is listed) or when the accessor calls outside app/
and their own folder exceed N; the counts are printed either way, so a change can say what it
brought them down to.
"""

import argparse
import os
import re
import sys
from collections import Counter

# Bottom first: a floor may include its own files and those of every floor before it. The backends
# of the platform are made by app/ alone; every other folder sees only the platform's interfaces.
FLOORS = [
    "platform",
    "window-access",
    "toolkit",
    "hotkeys",
    "actions",
    "shell",
    "mouse-control",
    "keyboard-control",
    "settings",
    "help-browser",
    "log-reader",
    "tools",
    "app",
]
BACKENDS = {"platform/sim", "platform/x11"}
# Data compiled in with Qt's resource system: any folder may read it.
ANYONE = {"resources"}

# Shared instances and the folder that owns each.
ACCESSORS = [
    ("ZRMainController::mainController", "shell"),
    ("Platform::current", "platform"),
    ("UserDefaults::standard", "platform"),
    ("RunLoop::main", "platform"),
    ("NotificationCenter::defaultCenter", "platform"),
    ("DispatchQueue::global", "platform"),
    ("ZRActionManager::actionManager", "actions"),
    ("ZRActionManager::actionManagerIfMade", "actions"),
    ("ZRAction::host", "actions"),
    ("ZRDropZoneManager::dropZoneManager", "mouse-control"),
    ("ZRSystemWindowSettings::shared", "mouse-control"),
    ("ZRFocusWindow::defaultFocusWindow", "mouse-control"),
    ("ZRWindowObserver::defaultObserver", "window-access"),
    ("ZRExternalWindowMonitor::sharedMonitor", "window-access"),
    ("RunningApplicationCache::shared", "window-access"),
    ("ZRIgnoreList::sharedList", "window-access"),
    ("ZRAboutPanelManager::aboutPanelManager", "shell"),
    ("ZRSystemLog::shared", "toolkit"),
    ("ZRFindPasteboard::shared", "toolkit"),
    ("ZRHelpManager::helpManager", "help-browser"),
    ("ZRHotKeyReferencePool::defaultPool", "hotkeys"),
    ("ZRHotKeyHandlerApplication::instance", "hotkeys"),
    ("ILRLogReaderFlags::shared", "log-reader"),
    ("ILRLogDateFormatter::shared", "log-reader"),
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_SUFFIXES = (".cpp", ".h")


def floor_of(path):
    """The floor a file of the program (a path relative to the root) belongs to, or None."""
    parts = path.split("/")
    if len(parts) < 2:
        return None
    if parts[0] == "platform":
        sub = "platform/" + parts[1]
        return sub if len(parts) > 2 and sub in BACKENDS else "platform"
    if parts[0] in FLOORS or parts[0] in ANYONE:
        return parts[0]
    return None


def may_include(source, target):
    if source == target or target in ANYONE:
        return True
    if target in BACKENDS:
        return source == "app"
    if source in BACKENDS:
        return target == "platform"
    if source not in FLOORS or target not in FLOORS:
        return False
    return FLOORS.index(target) < FLOORS.index(source)


def program_files(root):
    for top in sorted(os.listdir(root)):
        if top in ("tests", "bench", "build") or top.startswith("."):
            continue
        folder = os.path.join(root, top)
        if not os.path.isdir(folder):
            continue
        for dirpath, dirnames, filenames in os.walk(folder):
            dirnames.sort()
            for name in sorted(filenames):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(dirpath, name), root)


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root", nargs="?", default=os.path.join(os.path.dirname(__file__), ".."))
    parser.add_argument("--max-accessor-calls", type=int, default=None)
    args = parser.parse_args()
    root = os.path.abspath(args.root)

    upward = []
    calls = Counter()
    for path in program_files(root):
        source = floor_of(path)
        if source is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = floor_of(match.group(1))
            if target is not None and not may_include(source, target):
                upward.append(f"{path}:{number}: {source} includes {match.group(1)} ({target})")
        if source == "app":
            continue
        code = strip_comments(text)
        for accessor, owner in ACCESSORS:
            if source == owner or (owner == "platform" and source in BACKENDS):
                continue
            found = len(re.findall(r"\b" + re.escape(accessor) + r"\s*\(", code))
            if found:
                calls[(accessor, source)] += found

    for line in upward:
        print("upward include: " + line)
    total = sum(calls.values())
    print(f"shared accessors called outside app/ and their own folder: {total}")
    for accessor, _ in ACCESSORS:
        per_folder = {folder: n for (name, folder), n in calls.items() if name == accessor}
        if per_folder:
            where = ", ".join(f"{folder} {n}" for folder, n in sorted(per_folder.items()))
            print(f"  {accessor}(): {sum(per_folder.values())} ({where})")

    failed = bool(upward)
    if args.max_accessor_calls is not None and total > args.max_accessor_calls:
        print(f"more than {args.max_accessor_calls} calls: hand the object to the part instead")
        failed = True
    print(f"{len(upward)} upward includes")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
