#!/usr/bin/env python3
"""Lists the program's functions that nothing calls, and those that only tests and benchmarks call.

Usage: unused-functions.py [SOURCE_ROOT] [--folder PREFIX ...] [--test-only] [--count]
                           [--precise [--build DIR] [--jobs N]]

By name (the default, a few seconds): a function counts as used when its name appears anywhere in
the sources, tests and benchmarks other than where a function of that name is declared or defined.
Comments are left out; string literals are kept, since a selector handed to a delayed perform or a
Qt slot named in SIGNAL/SLOT is called through its name. Matching is by name alone, so an unused
member that shares its name with a used one (a getter named like a Qt function) is not listed.

--precise (minutes): every translation unit of the build's compile_commands.json is indexed with
clang, and a function counts as used when anything refers to that very function. This also finds
the unused members whose names other functions share. It sees only what the build compiles (not
fuzzers built apart) and not calls that depend on a template parameter: the build that follows a
deletion is the last word.

Left out of both lists: lambdas, constructors, destructors, operators, main, reserved names, what
Q_OBJECT declares, and virtual functions and their overrides (a base class or Qt calls them).
Functions of tests/ and bench/ themselves are not listed.

Needs Universal Ctags (universal-ctags); --precise needs c-index-test (clang-tools) and a
configured build.
"""

import argparse
import glob
import json
import os
import re
import subprocess
import shlex
import sys
from collections import defaultdict
from concurrent.futures import ThreadPoolExecutor

EXTENSIONS = (".h", ".hpp", ".cpp", ".cc")
SKIPPED_DIRS = {"build", ".git", "resources"}
TEST_DIRS = ("tests/", "bench/")
TOKEN = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
QOBJECT_NAMES = {"metaObject", "qt_metacall", "qt_metacast", "qt_static_metacall", "tr"}


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


def index_arguments(entry):
    """The compiler's arguments for clang's indexer: no output, no gcc precompiled header."""
    arguments, skip = [], False
    for argument in shlex.split(entry["command"])[1:]:
        if skip:
            skip = False
        elif argument in ("-o", "-include"):
            skip = True
        elif argument in ("-c", "-g", "-Werror", "-Winvalid-pch") or argument.startswith(("-O", "-fsanitize")):
            continue
        else:
            arguments.append(argument)
    return arguments


INDEX_LINE = re.compile(r"^\[index(Declaration|EntityReference)\]: kind: ([^|]+?) \| name: ([^|]*?) \| "
                        r"USR: (\S+) \|.*? \| loc: ([^|]+?) \|")
FUNCTION_KINDS = ("function", "c++-instance-method", "c++-static-method", "c++-conversion-function",
                  "c++-method-template")


def index_unit(root, indexer, entry):
    """(declarations, references) of one translation unit: [(usr, name, path, line)], [(usr, path)]."""
    source = entry["file"]
    result = subprocess.run([indexer, "-index-file"] + index_arguments(entry), cwd=entry["directory"],
                            capture_output=True, text=True, errors="replace")
    declarations, references = [], []
    for line in result.stdout.splitlines():
        match = INDEX_LINE.match(line)
        if not match:
            continue
        what, kind, name, usr, location = match.groups()
        if re.fullmatch(r"\d+:\d+", location):
            location = f"{source}:{location}"  # the main file's locations come without its name
        if not location.startswith(root + os.sep):
            continue
        path, line_number, _ = location[len(root) + 1:].rsplit(":", 2)
        if what == "Declaration":
            if kind.startswith(FUNCTION_KINDS) and not path.startswith("build/"):
                declarations.append((usr, name, path, int(line_number)))
        else:
            references.append((usr, path))
    return declarations, references


def declaration_text(root, path, line, cache):
    """The declaration from its line to its end (a semicolon or an opening brace)."""
    if path not in cache:
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            cache[path] = f.read().split("\n")
    lines = cache[path]
    text = ""
    for number in range(line - 1, min(line + 4, len(lines))):
        text += lines[number] + " "
        if ";" in lines[number] or "{" in lines[number]:
            break
    return text


def precise_lists(root, build, jobs):
    indexers = sorted(glob.glob("/usr/lib/llvm-*/bin/c-index-test"))
    if not indexers:
        sys.exit("c-index-test not found: install clang-tools")
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
        entries = list({entry["file"]: entry for entry in json.load(f)}.values())
    declared = defaultdict(set)  # usr -> {(name, path, line)}
    used_by = defaultdict(set)  # usr -> {"program", "tests"}
    with ThreadPoolExecutor(jobs) as pool:
        for declarations, references in pool.map(lambda e: index_unit(root, indexers[-1], e), entries):
            for usr, name, path, line in declarations:
                declared[usr].add((name, path, line))
            for usr, path in references:
                used_by[usr].add("tests" if is_test_path(path) else "program")

    cache = {}
    unused, test_only = {}, {}
    for usr, places in declared.items():
        name = next(iter(places))[0]
        if not name or name == "main" or name.startswith(("operator", "~", "__")) or name in QOBJECT_NAMES:
            continue
        if any(is_test_path(path) for _, path, _ in places):
            continue
        if any(re.search(r"\b(virtual|override|final)\b", declaration_text(root, path, line, cache))
               for _, path, line in places):
            continue
        _, path, line = min(places, key=lambda place: (place[1].endswith(".cpp"), place[1], place[2]))
        scope = re.findall(r"@(?:S|C|N|ST>\d+(?:#\w+)*)@(\w+)", re.split(r"@F@|@FT@", usr)[0])
        qualified = "::".join(scope + [name])
        if not used_by[usr]:
            unused[qualified] = (path, line)
        elif used_by[usr] == {"tests"}:
            test_only[qualified] = (path, line)
    return unused, test_only


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("root", nargs="?", default=os.path.join(os.path.dirname(__file__), ".."))
    parser.add_argument("--folder", action="append", default=[],
                        help="list only functions declared under this path prefix")
    parser.add_argument("--test-only", action="store_true",
                        help="list the functions that only tests and benchmarks call")
    parser.add_argument("--count", action="store_true", help="print the counts alone")
    parser.add_argument("--precise", action="store_true", help="index the build with clang instead")
    parser.add_argument("--build", default=None, help="the build folder (default: ROOT/build)")
    parser.add_argument("--jobs", type=int, default=int(os.environ.get("SKAF_JOBS", "3")))
    args = parser.parse_args()
    root = os.path.abspath(args.root)

    if args.precise:
        unused, test_only = precise_lists(root, os.path.abspath(args.build or os.path.join(root, "build")),
                                          args.jobs)
        unused = {q: w for q, w in unused.items() if not args.folder or w[0].startswith(tuple(args.folder))}
        test_only = {q: w for q, w in test_only.items()
                     if not args.folder or w[0].startswith(tuple(args.folder))}
        report(unused, test_only, args)
        return

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

    report(unused, test_only, args)


def report(unused, test_only, args):
    chosen = test_only if args.test_only else unused
    if not args.count:
        for qualified, (path, line) in sorted(chosen.items(), key=lambda item: item[1]):
            print(f"{path}:{line}: {qualified}")
    print(f"{len(unused)} functions called nowhere, {len(test_only)} called only from tests",
          file=sys.stdout if args.count else sys.stderr)


if __name__ == "__main__":
    main()
