#!/usr/bin/env python3
"""Lists the program's functions that nothing calls, and those that only tests and benchmarks call.

Usage: unused-functions.py [SOURCE_ROOT] [--folder PREFIX ...] [--test-only] [--count]

A function counts as used when its name appears anywhere in the sources, tests and benchmarks
other than where a function of that name is declared or defined. Comments are left out; string
literals are kept, since a selector handed to a delayed perform or a Qt slot named in SIGNAL/SLOT
is called through its name. Matching is by name alone, so an unused member that shares its name
with a used one is not listed: the list errs towards keeping.

Left out of the list: lambdas, constructors, destructors, operators, main, reserved names, and virtual overrides (the base
class or Qt calls them). Functions of tests/ and bench/ themselves are not listed.

Needs Universal Ctags.
"""

import argparse
import json
import os
import re
import subprocess
import sys
from collections import defaultdict

EXTENSIONS = (".h", ".hpp", ".cpp", ".cc")
SKIPPED_DIRS = {"build", ".git", "resources"}
TEST_DIRS = ("tests/", "bench/")
TOKEN = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")


def source_files(root):
    for dirpath, dirnames, filenames in os.walk(root):
        rel_dir = os.path.relpath(dirpath, root)
        if rel_dir == ".":
            dirnames[:] = [d for d in dirnames if d not in SKIPPED_DIRS and not d.startswith(".")]
        dirnames.sort()
        for name in sorted(filenames):
            if name.endswith(EXTENSIONS):
                yield os.path.normpath(os.path.join(rel_dir, name))


def strip_comments(text):
    """Blanks out comments, keeping line breaks and string literals, so line numbers still match."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == "/" and i + 1 < n and text[i + 1] == "/":
            while i < n and text[i] != "\n":
                i += 1
        elif c == "/" and i + 1 < n and text[i + 1] == "*":
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("\n" * text.count("\n", i, end))
            i = end
        elif c == 'R' and text.startswith('R"', i):
            # Raw string: R"delim( ... )delim"
            open_paren = text.find("(", i + 2)
            delim = text[i + 2:open_paren]
            end = text.find(")" + delim + '"', open_paren)
            end = n if end < 0 else end + len(delim) + 2
            out.append(text[i:end])
            i = end
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def function_tags(root, files):
    command = [
        "ctags", "--output-format=json", "--languages=C++", "--language-force=C++",
        "--kinds-C++=fp", "--fields=+nKSZe", "--fields-C++=+{properties}", "-f", "-",
    ] + files
    result = subprocess.run(command, cwd=root, capture_output=True, text=True, check=True)
    for line in result.stdout.splitlines():
        tag = json.loads(line)
        if tag.get("_type") == "tag":
            yield tag


def is_test_path(path):
    return path.startswith(TEST_DIRS)


def listed(tag, overridden):
    name = tag["name"]
    scope = tag.get("scope", "")
    if name == "main" or name.startswith(("operator", "~", "__")):
        return False  # lambdas come as __anon..., and __tsan_... and the like are called by tools
    if name == scope.split("::")[-1]:
        return False  # constructor
    if (scope, name) in overridden:
        return False
    return not is_test_path(tag["path"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("root", nargs="?", default=os.path.join(os.path.dirname(__file__), ".."))
    parser.add_argument("--folder", action="append", default=[],
                        help="list only functions declared under this path prefix")
    parser.add_argument("--test-only", action="store_true",
                        help="list the functions that only tests and benchmarks call")
    parser.add_argument("--count", action="store_true", help="print the counts alone")
    args = parser.parse_args()
    root = os.path.abspath(args.root)

    files = list(source_files(root))
    tags = list(function_tags(root, files))

    overridden = set()
    sites = defaultdict(set)  # name -> {(path, line)}
    for tag in tags:
        if "override" in tag.get("properties", "") or "final" in tag.get("properties", ""):
            overridden.add((tag.get("scope", ""), tag["name"]))
        sites[tag["name"]].add((tag["path"], tag["line"]))

    # Uses of each name outside its declarations and definitions, split into program and tests.
    program_uses = defaultdict(int)
    test_uses = defaultdict(int)
    for path in files:
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = strip_comments(f.read())
        uses = test_uses if is_test_path(path) else program_uses
        for number, line in enumerate(text.split("\n"), start=1):
            seen_on_line = set()
            for token in TOKEN.findall(line):
                if token not in sites:
                    continue
                if (path, number) in sites[token] and token not in seen_on_line:
                    seen_on_line.add(token)  # the declaration or definition itself
                    continue
                uses[token] += 1

    unused, test_only = {}, {}
    for tag in tags:
        if not listed(tag, overridden):
            continue
        if args.folder and not tag["path"].startswith(tuple(args.folder)):
            continue
        name = tag["name"]
        qualified = f"{tag['scope']}::{name}" if tag.get("scope") else name
        where = (tag["path"], tag["line"])
        if program_uses[name] == 0 and test_uses[name] == 0:
            unused.setdefault(qualified, where)
        elif program_uses[name] == 0:
            test_only.setdefault(qualified, where)

    chosen = test_only if args.test_only else unused
    if not args.count:
        for qualified, (path, line) in sorted(chosen.items(), key=lambda item: item[1]):
            print(f"{path}:{line}: {qualified}")
    print(f"{len(unused)} functions called nowhere, {len(test_only)} called only from tests",
          file=sys.stdout if args.count else sys.stderr)


if __name__ == "__main__":
    main()
