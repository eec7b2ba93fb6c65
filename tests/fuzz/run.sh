#!/usr/bin/env bash
# Builds the libFuzzer programs with clang in build-fuzz and runs each for its
# share of JEONPYO_FUZZ_SECONDS (150 by default) over the corpus kept in
# tests/fuzz/corpus/<target>. New inputs go to build-fuzz/corpus/<target>, an
# input that breaks something to build-fuzz/crashes/ (copy it into the kept
# corpus: the ordinary test run then replays it as a regression test).
# Prints the executions of each target; exits non-zero when one failed.
set -euo pipefail
cd "$(dirname "$0")/../.."

total=${JEONPYO_FUZZ_SECONDS:-150}
targets=(text amount csv)
build=build-fuzz
if [ "$total" -lt "${#targets[@]}" ]; then
  echo "fuzz: skipped (JEONPYO_FUZZ_SECONDS=$total)"
  exit 0
fi

cmake -S . -B "$build" -DJEONPYO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" >"$build/fuzz-build.log" 2>&1 \
  || { tail -n 40 "$build/fuzz-build.log"; echo "fuzz: the fuzz programs did not build"; exit 1; }

each=$((total / ${#targets[@]}))
failed=0
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t" "$build/crashes"
  log="$build/fuzz-$t.log"
  status=ok
  # Leaks are not looked for: Qt keeps some objects for the life of the process.
  ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen \
    "$build/tests/fuzz/fuzz_$t" -max_total_time="$each" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/crashes/$t-" "$build/corpus/$t" "tests/fuzz/corpus/$t" >"$log" 2>&1 || status=failed
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "fuzz: $t: ${runs:-0} executions in ${each} s, $(ls "$build/corpus/$t" | wc -l) inputs in $build/corpus/$t, $status"
  if [ "$status" != ok ]; then
    failed=1
    grep -E "^fuzz_$t:|ERROR|SUMMARY|Test unit written" "$log" | head -n 20 || tail -n 20 "$log"
  fi
done
exit "$failed"
