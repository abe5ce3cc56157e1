#!/usr/bin/env python3
"""Runs every benchmark program and prints one table of library time over
peer time, pair by pair and size by size, with the goal of each pair.

A goal holds at every size a pair runs, so each pair's worst size is what
counts: the summary lists it, and the exit status is 1 when any pair misses
its goal at any size. Scaling goals (time per input byte may grow at most so
much from the smallest to the largest size) are checked the same way.

Usage: tools/bench-report.py [--build DIR] [--repetitions N] [--filter REGEX]
                             [--fresh] [--json OUT] [PROGRAM...]
PROGRAM names bench_* programs (default: all in DIR/bench). Run it on a
quiet machine: a parallel build skews every ratio. By default each program
runs once with its repetitions interleaved; a benchmark then starts from the
heap, store and caches the ones before it left. --fresh runs each library
benchmark with its peers at one size in a process of their own, round after
round; a pair's ratio is then the median of its ratios within the rounds.
"""
import argparse
import json
import os
import re
import statistics
import subprocess
import sys

# library benchmark, peer benchmark, largest acceptable ratio of the medians
PAIRS = [
    # bench_store
    ("BM_WordStore_AllocFree", "BM_Malloc_AllocFree", 1.0),
    ("BM_WordStore_Fragmented", "BM_Malloc_Fragmented", 1.0),
    ("BM_LSTE_Append", "BM_Vector_PushBack", 2.0),
    ("BM_STRAPA_Append", "BM_StdString_Append", 1.5),
    # bench_text
    ("BM_VBCS2D", "BM_FromChars", 1.5),
    ("BM_VBCS2D", "BM_Strtod", 0.7),
    ("BM_S2DCNV", "BM_Strtod", 1.0),
    # bench_numerics
    ("BM_QSORTI_Random", "BM_StdSort_Random", 1.3),
    ("BM_QSORTI_Sorted", "BM_StdSort_Sorted", 3.0),
    ("BM_QSRTID_Random", "BM_StdSortIndex_Random", 1.5),
    ("BM_TRZ2D_DB", "BM_Loop_DB", 1.2),
    ("BM_TRZ2D_ContPhase", "BM_Loop_Atan2", 1.3),
    # bench_packages
    ("BM_StTable_InsertLookup", "BM_UnorderedMap_InsertLookup", 1.3),
    ("BM_lsSort", "BM_StdListSort", 1.5),
    ("BM_Regexp_Match", "BM_StdRegex_Match", 0.2),
    ("BM_Regexp_Match", "BM_Posix_Regexec", 2.0),
    # bench_channels
    ("BM_Channel_Throughput_32K", "BM_RawSocket_Throughput_32K", 1.25),
    ("BM_Channel_RoundTrip_64", "BM_RawSocket_RoundTrip_64", 1.2),
    # bench_containers
    ("BM_HashCStringInt_CreateFind", "BM_UnorderedMap_StringInt", 1.2),
    ("BM_StringTable_Enter", "BM_UnorderedMap_Intern", 1.2),
    ("BM_Bank_GetFree", "BM_Malloc_Free_Small", 0.5),
    ("BM_Quu_Queue", "BM_Deque_PushBack", 1.2),
    # bench_trees
    ("BM_TRNTD_Walk", "BM_PointerTree_Walk", 2.0),
    # bench_sweeps
    ("BM_LPXP_Dec", "BM_Loop_Geometric", 1.5),
    ("BM_LPGV_All", "BM_Loop_Pow", 3.0),
    # bench_names
    ("BM_SEPTHI_Compile", "BM_Strtok_Split", 8.0),
    # bench_fields
    ("BM_CFR_Read", "BM_Getline_Split", 3.0),
    ("BM_CFW_Write", "BM_Fwrite_Text", 3.0),
    ("BM_CFW_Write", "BM_Fwrite_Block", 10.0),
    # bench_vhdl
    ("BM_VHDLSrcRead", "BM_Tokenize_Only", 2.5),
]

# benchmark whose last argument is the input length: time per unit of
# input may grow at most this much from the smallest length to the largest,
# for each setting of the other arguments
SCALING = [
    ("BM_Regexp_Pathological", 2.0),
    ("BM_SEPTHI_Nested", 2.0),
]


NOT_ARGS = {"repeats", "iterations", "min_time", "threads", "min_warmup_time"}


def split_name(run_name):
    """(name, size) of a benchmark's run name."""
    parts = run_name.split("/")
    # Arguments are plain or named numbers ("1000", "keys:1/n:10000");
    # "repeats:5", "real_time" and the like are not; a benchmark without
    # arguments runs at one size, "-".
    args = "/".join(p for p in parts[1:] if re.fullmatch(r"-?\d+", p) or (
        re.fullmatch(r"\w+:-?\d+", p) and p.split(":")[0] not in NOT_ARGS)) or "-"
    return parts[0], args


def timing(b):
    """(name, size) and the time in ns of one benchmark result."""
    # Benchmarks that wait on another process are timed by the clock.
    t = b["real_time"] if "real_time" in b["run_name"].split("/") else b["cpu_time"]
    return split_name(b["run_name"]), to_ns(t, b["time_unit"])


def run(binary, repetitions, filt):
    cmd = [binary, "--benchmark_format=json", f"--benchmark_repetitions={repetitions}",
           "--benchmark_report_aggregates_only=true", "--benchmark_enable_random_interleaving=true"]
    if filt:
        cmd.append(f"--benchmark_filter={filt}")
    out = subprocess.run(cmd, check=True, stdout=subprocess.PIPE, text=True).stdout
    return dict(timing(b) for b in json.loads(out)["benchmarks"] if b.get("aggregate_name") == "median")


def fresh_groups(names):
    """The listed benchmarks in groups that share a process: each library
    benchmark with its peers at the same size, every other one alone."""
    by_key = {split_name(n): n for n in names}
    groups, taken = [], set()
    for ours, _, _ in PAIRS:
        for key, name in by_key.items():
            if key[0] != ours or name in taken:
                continue
            group = [name] + [by_key[(peer, key[1])] for o, peer, _ in PAIRS
                              if o == ours and (peer, key[1]) in by_key]
            groups.append(group)
            taken.update(group)
    return groups + [[n] for n in names if n not in taken]


def run_fresh(binary, repetitions, filt):
    """Each library benchmark and its peers at one size in a process of
    their own, round after round, so that none inherits the heap, store or
    caches another size or pair left behind, and both sides of a pair meet
    the same process (its memory placement moves both alike). The medians
    over the rounds, and the median of each pair's ratio within a round."""
    listed = [binary, "--benchmark_list_tests"] + ([f"--benchmark_filter={filt}"] if filt else [])
    names = subprocess.run(listed, check=True, stdout=subprocess.PIPE, text=True).stdout.split()
    samples, ratios = {}, {}
    for _ in range(repetitions):
        for group in fresh_groups(names):
            pattern = "|".join(re.escape(n) for n in group)
            cmd = [binary, "--benchmark_format=json", f"--benchmark_filter=^({pattern})$",
                   "--benchmark_repetitions=1"]
            out = subprocess.run(cmd, check=True, stdout=subprocess.PIPE, text=True).stdout
            results = json.loads(out)["benchmarks"]
            # A benchmark that sets its own repetitions reports their median.
            chosen = [b for b in results if b.get("aggregate_name") == "median"] or \
                [b for b in results if b.get("run_type") != "aggregate"]
            now = dict(timing(b) for b in chosen)
            for key, t in now.items():
                samples.setdefault(key, []).append(t)
            for ours, peer, _ in PAIRS:
                for (name, args), t in now.items():
                    if name == ours and (peer, args) in now:
                        ratios.setdefault((ours, peer, args), []).append(t / now[(peer, args)])
    return ({k: statistics.median(v) for k, v in samples.items()},
            {k: statistics.median(v) for k, v in ratios.items()})


def to_ns(t, unit):
    return t * {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[unit]


def show(ns):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if ns >= scale:
            return f"{ns / scale:8.2f} {unit:2}"
    return f"{ns:8.1f} ns"


def size_key(args):
    return [int(a.split(":")[-1]) for a in args.split("/")] if args != "-" else []


def pair_rows(m, ratios):
    """Rows of pair, size, library and peer times, ratio and goal; the
    ratio is the within-round median when there is one."""
    rows = []
    for ours, peer, goal in PAIRS:
        for (name, args) in sorted((k for k in m if k[0] == ours), key=lambda k: size_key(k[1])):
            if (peer, args) in m:
                t_lib, t_peer = m[(ours, args)], m[(peer, args)]
                ratio = ratios.get((ours, peer, args), t_lib / t_peer)
                rows.append((f"{ours} / {peer}", args, t_lib, t_peer, ratio, goal))
    return rows


def scaling_rows(m):
    rows = []
    for name, goal in SCALING:
        groups = {}
        for (n, args) in m:
            if n == name and args != "-":
                key = size_key(args)
                groups.setdefault(tuple(key[:-1]), []).append((key[-1], m[(n, args)]))
        for prefix, points in sorted(groups.items()):
            points.sort()
            if len(points) < 2:
                continue
            (n0, t0), (n1, t1) = points[0], points[-1]
            label = "/".join(str(p) for p in prefix)
            rows.append((f"{name} per unit {n1} vs {n0}", label or "-", t1 / n1, t0 / n0, (t1 / n1) / (t0 / n0),
                         goal))
    return rows


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build"))
    ap.add_argument("--repetitions", type=int, default=5)
    ap.add_argument("--filter", default="")
    ap.add_argument("--json", help="also write the rows to this file")
    ap.add_argument("--fresh", action="store_true",
                    help="each pair at each size in a fresh process, N rounds (slower, not skewed by what ran before)")
    ap.add_argument("programs", nargs="*")
    a = ap.parse_args()
    bench_dir = os.path.join(a.build, "bench")
    programs = a.programs or sorted(
        os.path.join(bench_dir, p) for p in os.listdir(bench_dir)
        if p.startswith("bench_") and os.access(os.path.join(bench_dir, p), os.X_OK))
    m, ratios = {}, {}
    for p in programs:
        print(f"running {os.path.basename(p)} ...", file=sys.stderr, flush=True)
        path = p if os.sep in p else os.path.join(bench_dir, p)
        if a.fresh:
            times, within = run_fresh(path, a.repetitions, a.filter)
            m.update(times)
            ratios.update(within)
        else:
            m.update(run(path, a.repetitions, a.filter))

    rows = pair_rows(m, ratios) + scaling_rows(m)
    worst = {}
    print(f"{'pair':68} {'size':>10} {'library':>11} {'peer':>11} {'ratio':>6}  goal")
    for label, args, t_lib, t_peer, ratio, goal in rows:
        met = ratio <= goal
        print(f"{label:68} {args:>10} {show(t_lib)} {show(t_peer)} {ratio:6.2f}  <= {goal:<4} "
              f"{'met' if met else 'MISSED'}")
        if label not in worst or ratio > worst[label][1]:
            worst[label] = (args, ratio, goal)
    print()
    print(f"{'worst size of each pair':68} {'size':>10} {'ratio':>6}  goal")
    missed = 0
    for label, (args, ratio, goal) in worst.items():
        met = ratio <= goal
        missed += not met
        print(f"{label:68} {args:>10} {ratio:6.2f}  <= {goal:<4} {'met' if met else 'MISSED'}")
    print(f"\n{len(worst) - missed} of {len(worst)} goals met at every size")
    if a.json:
        with open(a.json, "w") as f:
            json.dump([{"pair": r[0], "size": r[1], "library_ns": r[2], "peer_ns": r[3],
                        "ratio": r[4], "goal": r[5]} for r in rows], f, indent=1)
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
