#!/usr/bin/env bash
# Sets up, builds and runs every test (SQLite and a throwaway PostgreSQL server
# that the tests start themselves). Prints ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
ctest --output-on-failure -j 2 "$@"
