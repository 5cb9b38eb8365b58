#!/usr/bin/env python3
"""Checks that every source folder includes only its own layer and the layers
below it:

    tools -> com -> task -> collect -> render, filter -> base -> platform

render/ and filter/ are siblings and do not include each other. The component
(base/ to com/) reaches the platform through platform/api only, never through
the host model. The COM interface declarations generated from the IDL
("com/EventCollector_h.h") may be included by every layer that implements or
calls a COM interface.

Usage: check_layers.py SOURCE_DIR. Prints one line per offending include and
exits 1 when there is any."""
import os
import re
import sys

RANKS = {"platform": 0, "base": 1, "render": 2, "filter": 2, "collect": 3, "task": 4, "com": 5, "tools": 6}
COMPONENT = ("base", "render", "filter", "collect", "task", "com")
INTERFACE_HEADER = "com/EventCollector_h.h"
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def offence(folder, target):
    """Why a file of `folder` may not include `target`, or None."""
    if target == INTERFACE_HEADER:
        return None
    top = target.split("/", 1)[0]
    if top not in RANKS or top == folder:
        return None
    if folder in COMPONENT and top == "platform" and not target.startswith("platform/api/"):
        return "the component reaches the platform through platform/api only"
    if RANKS[top] >= RANKS[folder]:
        return "%s/ is not below %s/" % (top, folder)
    return None


def check_file(path, folder, rel):
    problems = []
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            why = offence(folder, match.group(1))
            if why:
                problems.append('%s:%d: includes "%s": %s' % (rel, number, match.group(1), why))
    return problems


def check_tree(root):
    problems = []
    for folder in RANKS:
        for base, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                path = os.path.join(base, name)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                if name.endswith((".h", ".cpp", ".c")):
                    problems += check_file(path, folder, rel)
    return problems


def main(argv):
    if len(argv) != 2:
        print("usage: check_layers.py SOURCE_DIR", file=sys.stderr)
        return 2
    problems = check_tree(argv[1])
    for p in problems:
        print(p, file=sys.stderr)
    if problems:
        print("%d include(s) break the layer order" % len(problems), file=sys.stderr)
        return 1
    print("layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
