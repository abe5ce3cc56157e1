#!/usr/bin/env python3
"""Drop exception-unwinding branches from an lcov tracefile.

    coverage_drop_throw.py BUILD_DIR IN.info OUT.info

The lcov 1.16 shipped by the distribution ignores its own
geninfo_no_exception_branch setting when it reads gcov's JSON output, so
every call that may throw leaves an untakeable branch in the tracefile. This
asks gcov (JSON) which branches are throw edges and removes them. lcov numbers
the branches of a line 0..n-1 per gcov line record and merges records by that
number, so a branch number is dropped only when it is a throw edge in every
record of that line that has it; BRF/BRH are recounted from what is left.
"""
import json
import os
import subprocess
import sys
from collections import defaultdict


def throw_edges(build_dir):
    seen = defaultdict(lambda: [0, 0])  # (file, line, n) -> [records, throws]
    for root, _, names in os.walk(build_dir):
        for name in names:
            if not name.endswith(".gcda"):
                continue
            gcda = os.path.join(root, name)
            out = subprocess.run(["gcov", "--json-format", "--stdout", "-b", "-o", gcda, gcda],
                                 cwd=build_dir, capture_output=True, text=True).stdout
            for doc in out.splitlines():
                if not doc.startswith("{"):
                    continue
                data = json.loads(doc)
                cwd = data.get("current_working_directory", build_dir)
                for f in data["files"]:
                    path = os.path.realpath(os.path.join(cwd, f["file"]))
                    for line in f["lines"]:
                        for n, br in enumerate(line.get("branches", [])):
                            rec = seen[(path, line["line_number"], n)]
                            rec[0] += 1
                            rec[1] += 1 if br.get("throw") else 0
    return {k for k, (records, throws) in seen.items() if records == throws}


def main():
    build_dir, src, dst = sys.argv[1:4]
    drop = throw_edges(os.path.abspath(build_dir))
    out, branches, path = [], [], None
    for raw in open(src):
        line = raw.rstrip("\n")
        if line.startswith("SF:"):
            path = os.path.realpath(line[3:])
        elif line.startswith("BRDA:"):
            ln, _, n, taken = line[5:].split(",")
            if (path, int(ln), int(n)) in drop:
                continue
            branches.append(taken)
        elif line.startswith(("BRF:", "BRH:")):
            continue
        elif line == "end_of_record":
            out.append("BRF:%d" % len(branches))
            out.append("BRH:%d" % sum(1 for t in branches if t not in ("-", "0")))
            branches = []
        out.append(line)
    with open(dst, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
