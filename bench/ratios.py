#!/usr/bin/env python3
"""Runs bench_store and prints median(ours) / median(peer) for each pair and size.

Usage: bench/ratios.py [path/to/bench_store] [extra benchmark flags...]
Exits 1 when a ratio is above its target.
"""
import json
import os
import subprocess
import sys

# ours, peer, largest acceptable ratio
PAIRS = [
    ("BM_WordStore_AllocFree", "BM_Malloc_AllocFree", 1.0),
    ("BM_LSTE_Append", "BM_Vector_PushBack", 1.5),
    ("BM_STRAPA_Append", "BM_StdString_Append", 2.0),
]


def medians(binary, extra):
    out = subprocess.run([binary, "--benchmark_format=json", *extra],
                         check=True, stdout=subprocess.PIPE, text=True).stdout
    result = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            name, size = b["run_name"].split("/")[:2]  # drops "/repeats:5"
            result[(name, size)] = (b["cpu_time"], b["time_unit"])
    return result


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    args = sys.argv[1:]
    binary = os.path.join(here, "..", "build", "bench", "bench_store")
    if args and not args[0].startswith("-"):
        binary = args.pop(0)
    m = medians(binary, args)
    missed = False
    print(f"{'pair':48} {'size':>9} {'ours':>12} {'peer':>12} {'ratio':>6}  target")
    for ours, peer, target in PAIRS:
        sizes = sorted({s for (n, s) in m if n == ours}, key=int)
        for size in sizes:
            if (peer, size) not in m:
                continue
            (t_ours, unit), (t_peer, peer_unit) = m[(ours, size)], m[(peer, size)]
            assert unit == peer_unit, (ours, peer)
            ratio = t_ours / t_peer
            ok = ratio <= target
            missed |= not ok
            print(f"{ours + ' / ' + peer:48} {size:>9} {t_ours:9.1f} {unit:2} {t_peer:9.1f} {unit:2} "
                  f"{ratio:6.2f}  <= {target} {'ok' if ok else 'MISSED'}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
