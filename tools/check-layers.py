#!/usr/bin/env python3
"""Fails on an #include that goes up or sideways across the floors of
src/layers.txt, naming the file and line of each.

Every quoted include in src/, include/kt/ and tools/kt-util/ is resolved
as the compiler would (the including file's folder, then src/, then
include/) and must name a header of the including file's own floor or of
a floor it stands on. Public headers belong to the floor that lists them;
tools/kt-util stands on every floor. A "../" include is refused too: a
header of another folder is named from src/ ("common/ascii.h").

Usage: check-layers.py [SOURCE_DIR]"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE = (".h", ".cpp", ".c")


def read_floors(path):
    """The floors in order: name -> (floors stood on, public headers)."""
    floors = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            if len(words) < 2:
                sys.exit(f"{path}:{number}: a floor needs the floors it stands on ('-' for none)")
            name, on, headers = words[0], words[1], words[2:]
            below = [] if on == "-" else on.split(",")
            for b in below:
                if b not in floors:
                    sys.exit(f"{path}:{number}: {name} stands on {b}, which is not listed above it")
            floors[name] = (below, headers)
    return floors


def closure(floors):
    """Each floor with every floor beneath it, directly or not."""
    under = {}
    for name, (below, _) in floors.items():  # listed lowest first
        under[name] = set(below).union(*(under[b] for b in below))
    return under


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    src, public = os.path.join(root, "src"), os.path.join(root, "include")
    floors = read_floors(os.path.join(src, "layers.txt"))
    under = closure(floors)
    under["tools"] = set(floors)
    public_floor = {"kt/" + h: name for name, (_, headers) in floors.items() for h in headers}
    problems = []

    for entry in sorted(os.listdir(src)):
        if os.path.isdir(os.path.join(src, entry)) and entry not in floors:
            problems.append(f"src/{entry}/: a folder that src/layers.txt does not place")
    for entry in sorted(os.listdir(os.path.join(public, "kt"))):
        if entry.endswith(".h") and "kt/" + entry not in public_floor:
            problems.append(f"include/kt/{entry}: a public header that src/layers.txt does not place")

    def floor_of(path):
        rel = os.path.relpath(path, root).split(os.sep)
        if rel[0] == "src" and len(rel) > 2:
            return rel[1]
        if rel[0] == "include":
            return public_floor.get("/".join(rel[1:]))
        if rel[:2] == ["tools", "kt-util"]:
            return "tools"
        return None

    def resolve(including, name):
        for base in (os.path.dirname(including), src, public):
            candidate = os.path.normpath(os.path.join(base, name))
            if os.path.isfile(candidate):
                return candidate
        return None

    files = []
    for top in (src, os.path.join(public, "kt"), os.path.join(root, "tools", "kt-util")):
        for folder, _, names in os.walk(top):
            files += [os.path.join(folder, n) for n in sorted(names) if n.endswith(SOURCE)]

    for path in sorted(files):
        own = floor_of(path)
        rel = os.path.relpath(path, root)
        if own is None:
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                name = m.group(1)
                where = f"{rel}:{number}: #include \"{name}\""
                if name.startswith("../") or "/../" in name:
                    problems.append(f"{where}: name a header of another folder from src/, without \"../\"")
                    continue
                target = resolve(path, name)
                if target is None:
                    if name in public_floor:  # generated into the build tree
                        target_floor = public_floor[name]
                    else:
                        problems.append(f"{where}: no such header in the tree")
                        continue
                else:
                    target_floor = floor_of(target)
                if target_floor is None or target_floor == own or target_floor in under[own]:
                    continue
                stands = ", ".join(sorted(under[own])) or "nothing"
                problems.append(f"{where}: {own} reaches up or sideways into {target_floor} "
                                f"({own} stands on {stands})")

    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) against the floors of src/layers.txt")
        return 1
    print(f"{len(files)} files, every include within the floors of src/layers.txt")
    return 0


if __name__ == "__main__":
    sys.exit(main())
