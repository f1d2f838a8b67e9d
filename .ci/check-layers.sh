#!/usr/bin/env bash
# Fails when a layer includes a header of a layer it may not use.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A allowed=(
  [platform]="platform"
  [engine]="engine platform"
  [tree]="tree engine platform"
  [export]="export platform"
  [legacy]="legacy tree engine platform"
  [component]="component legacy tree export engine platform"
)
status=0
for layer in "${!allowed[@]}"; do
  [ -d "src/$layer" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    used=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$line")
    if [[ " ${allowed[$layer]} " != *" $used "* ]]; then
      echo "layer violation: $file includes $used/ (src/$layer may use: ${allowed[$layer]})"
      status=1
    fi
  done < <(grep -rnE '^#include "[a-z]+/' "src/$layer" || true)
done
# The component itself uses only the standard library and the OS.
if grep -rnE '#include <(sqlite3|libpq-fe|fmt/|CLI/)' src; then
  echo "src/ must not use the host's libraries"
  status=1
fi
exit $status
