#!/usr/bin/env bash
# Runs every fuzz target for a while, two at a time, and tabulates the runs.
#
#   tools/fuzz-campaign.sh [SECONDS] [TARGET...]     (default 600 s, every target)
#
# Builds the `fuzz` preset (clang, libFuzzer, ASan + UBSan) in build-fuzz/.
# Each target starts from its seeds in fuzz/corpus/<name>/ and grows a
# working corpus in build-fuzz/campaign/<name>/ (the seeds stay small);
# a crash, leak or time-out ends that target's run and lands in
# build-fuzz/campaign/findings/ (a slow input is a finding too: each
# target's fuzz/<name>.options sets a -timeout of a few seconds). Exit
# status 1 when any target had a finding. fuzz/<name>.dict, when present,
# is the target's dictionary; fuzz/<name>.options holds more libFuzzer
# flags for it, on one line (they win over the defaults here). Paths given
# to libFuzzer are absolute: a target may change directory while it runs.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-600}"
shift || true
cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j2 >/dev/null

out="$PWD/build-fuzz/campaign"
mkdir -p "$out/findings"
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

run_one() {
  local target="$1" name="${1#fuzz_}"
  mkdir -p "$out/$name"
  [ -d "fuzz/corpus/$name" ] && cp -n fuzz/corpus/"$name"/* "$out/$name/" 2>/dev/null || true
  local flags=() more=()
  if [ -f "fuzz/$name.dict" ]; then flags+=("-dict=$PWD/fuzz/$name.dict"); fi
  if [ -f "fuzz/$name.options" ]; then
    read -ra more <"fuzz/$name.options" || true
    flags+=(${more[@]+"${more[@]}"})
  fi
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$PWD/build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
      -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$out/findings/$name-" \
      ${flags[@]+"${flags[@]}"} "$out/$name" >"$out/$name.log" 2>&1 || true
}

# Two at a time: one per core.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run_one "${targets[i]}" &
  if ((i + 1 < ${#targets[@]})); then run_one "${targets[i + 1]}" & fi
  wait
done

printf '%-22s %12s %10s %8s %8s %9s\n' target executions exec/s slowest corpus findings
found=0
for target in "${targets[@]}"; do
  name="${target#fuzz_}" log="$out/${target#fuzz_}.log"
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || echo 0)
  rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || echo 0)
  slowest=$(grep -o 'stat::slowest_unit_time_sec: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || echo 0)
  corpus=$(find "$out/$name" -type f | wc -l)
  n=$(find "$out/findings" -name "$name-*" -type f | wc -l)
  found=$((found + n))
  printf '%-22s %12s %10s %7ss %8s %9s\n' "$target" "${execs:-0}" "${rate:-0}" "${slowest:-0}" "$corpus" "$n"
done
[ "$found" -eq 0 ]
