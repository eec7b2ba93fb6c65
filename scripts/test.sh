#!/usr/bin/env bash
# Sets up, builds and runs every test (SQLite and a throwaway PostgreSQL server
# that the tests start themselves), after a bounded run of the fuzz programs
# (JEONPYO_FUZZ_SECONDS, 150 by default; 0 skips it). Prints ctest's summary
# last; fails when ctest or the fuzzing failed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
fuzz_status=0
bash tests/fuzz/run.sh || fuzz_status=$?
cd build
ctest_status=0
ctest --output-on-failure -j 2 "$@" || ctest_status=$?
if [ "$ctest_status" -ne 0 ]; then exit "$ctest_status"; fi
exit "$fuzz_status"
