#!/usr/bin/env bash
# Sets up, then starts Jeonpyo on the embedded default database (or on the one
# ACCOUNT_DB names). A database without tables gets them, with the sample set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if ! ./build/tools/jeonpyo-db status >/dev/null 2>&1; then
  ./build/tools/jeonpyo-db init
  ./build/tools/jeonpyo-db demo
fi
exec ./build/src/jeonpyo "$@"
