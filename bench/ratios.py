#!/usr/bin/env python3
"""Runs a benchmark program and prints median(ours) / median(peer) for each
pair and size that it measured.

Usage: bench/ratios.py [path/to/bench_PROGRAM] [extra benchmark flags...]
(default: build/bench/bench_store). Exits 1 when a ratio is above its target.
"""
import json
import os
import subprocess
import sys

# ours, peer, largest acceptable ratio
PAIRS = [
    # bench_store
    ("BM_WordStore_AllocFree", "BM_Malloc_AllocFree", 1.0),
    ("BM_LSTE_Append", "BM_Vector_PushBack", 1.5),
    ("BM_STRAPA_Append", "BM_StdString_Append", 2.0),
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
    ("BM_SEPTHI_Compile", "BM_Strtok_Split", 10.0),
    # bench_fields
    ("BM_CFR_Read", "BM_Getline_Split", 3.0),
    ("BM_CFW_Write", "BM_Fwrite_Text", 3.0),
    ("BM_CFW_Write", "BM_Fwrite_Block", 10.0),
    # bench_vhdl
    ("BM_VHDLSrcRead", "BM_Tokenize_Only", 3.0),
]


def medians(binary, extra):
    out = subprocess.run([binary, "--benchmark_format=json", *extra],
                         check=True, stdout=subprocess.PIPE, text=True).stdout
    result = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            parts = b["run_name"].split("/")
            name = parts[0]
            # Arguments are plain numbers or named ("keys:1/n:10000");
            # "/repeats:5" and the like are not; a benchmark without an
            # argument is measured at one size only.
            args = [p for p in parts[1:] if p.isdigit() or
                    (":" in p and p.split(":")[0] not in ("repeats", "iterations", "min_time", "threads"))]
            size = "/".join(args) or "0"
            # Benchmarks that wait on another process are timed by the clock.
            time = b["real_time"] if "real_time" in parts else b["cpu_time"]
            result[(name, size)] = (time, b["time_unit"])
    return result


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    args = sys.argv[1:]
    binary = os.path.join(here, "..", "build", "bench", "bench_store")
    if args and not args[0].startswith("-"):
        binary = args.pop(0)
    m = medians(binary, args)
    missed = False
    print(f"{'pair':48} {'size':>15} {'ours':>12} {'peer':>12} {'ratio':>6}  target")
    for ours, peer, target in PAIRS:
        sizes = sorted({s for (n, s) in m if n == ours},
                       key=lambda s: [int(v.split(":")[-1]) for v in s.split("/")])
        for size in sizes:
            if (peer, size) not in m:
                continue
            (t_ours, unit), (t_peer, peer_unit) = m[(ours, size)], m[(peer, size)]
            assert unit == peer_unit, (ours, peer)
            ratio = t_ours / t_peer
            ok = ratio <= target
            missed |= not ok
            print(f"{ours + ' / ' + peer:48} {size:>15} {t_ours:9.1f} {unit:2} {t_peer:9.1f} {unit:2} "
                  f"{ratio:6.2f}  <= {target} {'ok' if ok else 'MISSED'}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
