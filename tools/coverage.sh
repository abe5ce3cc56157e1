#!/usr/bin/env bash
# Line and branch coverage of src/, per subsystem folder.
#
#   tools/coverage.sh [--html DIR] [--check] [--no-build]
#
# Builds the `coverage` preset (gcc --coverage, Debug) in build-coverage/,
# runs the whole suite there, and prints one line per folder of src/ and a
# total. Branches that only exist for C++ exception unwinding are left out
# (tools/coverage_drop_throw.py): no test can take them and they say nothing
# about our code. --html writes
# lcov's browsable report; --check exits 1 when any folder of src/ is below
# its floor: 95% of lines and 90% of branches, or the lower floor that
# tools/coverage-floors gives a folder that has not reached that yet (CI
# runs it so).
set -euo pipefail
cd "$(dirname "$0")/.."

html="" check=0 build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --html) html="$2"; shift 2 ;;
    --check) check=1; shift ;;
    --no-build) build=0; shift ;;
    *) echo "usage: tools/coverage.sh [--html DIR] [--check] [--no-build]" >&2; exit 2 ;;
  esac
done

# A script that measures does not install system packages; .ci/run does.
if ! command -v lcov >/dev/null 2>&1; then
  echo "tools/coverage.sh: lcov is not installed (Debian: apt-get install lcov)" >&2
  exit 2
fi

dir=build-coverage
if [ "$build" = 1 ]; then
  cmake --preset coverage >/dev/null
  cmake --build "$dir" -j2
fi
lcov --quiet --zerocounters --directory "$dir"
tests_status=0
ctest --test-dir "$dir" -j2 --output-on-failure || tests_status=$?

rc=(--rc lcov_branch_coverage=1 --rc geninfo_no_exception_branch=1)
lcov --quiet "${rc[@]}" --capture --directory "$dir" --output-file "$dir/all.info" 2>/dev/null
lcov --quiet "${rc[@]}" --extract "$dir/all.info" "$PWD/src/*" --output-file "$dir/src-all.info"
python3 tools/coverage_drop_throw.py "$dir" "$dir/src-all.info" "$dir/src.info"

# Sum the per-file records (LF/LH lines, BRF/BRH branches) by folder of src/.
awk -v root="$PWD/src/" -v check="$check" '
  FNR == NR { if ($0 !~ /^#/ && NF == 3) { fl[$1] = $2; fb[$1] = $3 }; next }
  /^SF:/ { f = substr($0, 4); sub(root, "", f); split(f, p, "/"); d = p[1] }
  /^LF:/ { lf[d] += substr($0, 4); LF += substr($0, 4) }
  /^LH:/ { lh[d] += substr($0, 4); LH += substr($0, 4) }
  /^BRF:/ { bf[d] += substr($0, 5); BF += substr($0, 5) }
  /^BRH:/ { bh[d] += substr($0, 5); BH += substr($0, 5) }
  function pct(h, t) { return t ? 100 * h / t : 100 }
  END {
    printf "%-12s %8s %15s %9s %15s\n", "folder", "lines", "", "branches", ""
    n = 0
    for (d in lf) ds[++n] = d
    for (i = 2; i <= n; ++i)   # insertion sort: mawk has no asorti
      for (j = i; j > 1 && ds[j] < ds[j - 1]; --j) { t = ds[j]; ds[j] = ds[j - 1]; ds[j - 1] = t }
    low = ""
    for (i = 1; i <= n; ++i) {
      d = ds[i]
      printf "%-12s %7.1f%% %7d/%-7d %8.1f%% %7d/%-7d\n", d, pct(lh[d], lf[d]), lh[d], lf[d], pct(bh[d], bf[d]), bh[d], bf[d]
      if (pct(lh[d], lf[d]) < (d in fl ? fl[d] : 95) || pct(bh[d], bf[d]) < (d in fb ? fb[d] : 90)) low = low " " d
    }
    printf "%-12s %7.1f%% %7d/%-7d %8.1f%% %7d/%-7d\n", "total", pct(LH, LF), LH, LF, pct(BH, BF), BH, BF
    if (check && low != "") { print "below the coverage floor (tools/coverage-floors) in src/:" low; exit 1 }
  }' tools/coverage-floors "$dir/src.info" || exit 1

if [ -n "$html" ]; then
  genhtml --quiet --branch-coverage --output-directory "$html" "$dir/src.info"
  echo "report: $html/index.html"
fi
exit "$tests_status"
