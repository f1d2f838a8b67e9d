#!/usr/bin/env bash
# Fuzzing: builds the libFuzzer targets of fuzz/ with Clang 14 in BUILD_DIR, runs
# every target for 60 seconds on a copy of its seed corpus (the committed seeds
# stay as they are), prints the executions of each, and fails on a crash, a
# sanitizer report or a disagreement with a reference. Inputs that failed are
# kept in BUILD_DIR/fuzz-artifacts/<target>/; BUILD_DIR/fuzz/<target> FILE runs
# one again.
#
# Usage: .ci/fuzz.sh BUILD_DIR
#   CVN_FUZZ_SECONDS  seconds per target (default 60)
#   CVN_FUZZ_JOBS     targets run at once (default: the number of processors)
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "$1")
seconds=${CVN_FUZZ_SECONDS:-60}
jobs=${CVN_FUZZ_JOBS:-$(nproc)}

section() { printf '\n==== %s (%s)\n' "$1" "$(date +%T)"; }

section "fuzz build"
cmake -S "$repo" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCVN_BUILD_FUZZ=ON \
  -DCVN_BUILD_TESTS=OFF -DCVN_BUILD_BENCH=OFF -DCVN_BUILD_CLI=OFF >/dev/null
# Only the fuzz targets: the regular library is not needed here.
cmake --build "$build" --target cvn_fuzz -j "$jobs"
mapfile -t targets < "$build/fuzz/targets.txt"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
rm -rf "$artifacts"

run_target() {
  local target=$1
  local corpus="$work/$target/corpus"
  mkdir -p "$corpus" "$artifacts/$target"
  cp "$repo/fuzz/corpus/$target"/* "$corpus/"
  local status=0
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target/" >"$work/$target.log" 2>&1 ||
    status=$?
  echo "$status" >"$work/$target.status"
}

section "fuzz runs: ${#targets[@]} targets, ${seconds} s each, ${jobs} at a time"
running=0
for target in "${targets[@]}"; do
  if [ ! -d "$repo/fuzz/corpus/$target" ]; then
    echo "no seed corpus fuzz/corpus/$target" >&2
    exit 1
  fi
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
  echo "started $target"
  run_target "$target" &
  running=$((running + 1))
done
wait

section "fuzz results"
failed=0
printf '%-24s %12s %10s %8s  %s\n' target executions exec/s "new" result
for target in "${targets[@]}"; do
  log="$work/$target.log"
  status=$(cat "$work/$target.status")
  stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
  result=ok
  # A report of any sanitizer or a failed check fails the run even if the exit status did not.
  if [ "$status" != 0 ] ||
    grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:|check failed:' "$log"; then
    result="FAILED (status $status)"
    failed=1
  fi
  printf '%-24s %12s %10s %8s  %s\n' "$target" "$(stat number_of_executed_units)" \
    "$(stat average_exec_per_sec)" "$(stat new_units_added)" "$result"
done
if [ "$failed" != 0 ]; then
  for target in "${targets[@]}"; do
    if [ "$(cat "$work/$target.status")" != 0 ] ||
      grep -qE 'ERROR: |runtime error:|check failed:' "$work/$target.log"; then
      section "$target log (last 60 lines)"
      tail -n 60 "$work/$target.log"
      echo "inputs kept in $artifacts/$target/:"
      ls -1 "$artifacts/$target/" || true
    fi
  done
  exit 1
fi
