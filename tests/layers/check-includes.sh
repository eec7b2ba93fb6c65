#!/usr/bin/env bash
# Folders are layers and includes only point down: base <- store <- ui <-
# entry, lookup, print <- app. Each folder may include its own headers and those
# of the layers below it; entry, lookup and print do not include each other.
# Prints every include that breaks this and fails when there is one.
set -euo pipefail
src=${1:-$(dirname "$0")/../../src}
declare -A rank=([base]=0 [store]=1 [ui]=2 [entry]=3 [lookup]=3 [print]=3 [app]=4)
bad=0
while IFS= read -r line; do
  file=${line%%:*}
  from=$(basename "$(dirname "$file")")
  to=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"${line#*:}")
  [ -n "${rank[$from]:-}" ] && [ -n "${rank[$to]:-}" ] || continue
  if [ "$from" != "$to" ] && [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
    echo "upward include: $line"
    bad=1
  fi
done < <(grep -rn -E '#include "[a-z]+/' "$src" --include='*.h' --include='*.cpp')
[ "$bad" -eq 0 ] && echo "includes point down in every layer"
exit "$bad"
