#!/usr/bin/env bash
# End-to-end benchmark of cvn compare against git diff on a generated pair of C trees
# (2,000 files, about 400,000 lines a side; 10% edited, 5% added, 3% deleted):
#
#   bench/e2e/run.sh [CVN] [WORK_FOLDER]
#
# CVN defaults to build/release/cvn (a release build: cmake --preset release && cmake --build
# --preset release --target cvn). Mean wall time of 10 runs of each with hyperfine, then the
# peak memory of each with GNU time (Debian packages hyperfine, time, git, python3). Targets:
# cvn at most half of git's time and under 64 MB at its peak.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cvn=$(realpath "${1:-$here/../../build/release/cvn}")
work=${2:-}
if [[ -z $work ]]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/cvn-e2e.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
for tool in hyperfine git python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
done
[[ -x $cvn ]] || { echo "$0: no cvn at $cvn" >&2; exit 1; }

python3 "$here/generate_trees.py" --seed 1 --files 2000 --lines 400000 --out "$work"
cd "$work"

cvn_run="$cvn compare old new --lang c --threshold 10 --db bench.db"
# git diff exits with 1 when the trees differ, which they do.
git_run="git diff --no-index --numstat old new >/dev/null; test \$? -le 1"

# Once outside the timing: both must work.
rm -f bench.db
$cvn_run >/dev/null
sh -c "$git_run"

hyperfine --runs 10 --warmup 1 --export-json times.json \
  --prepare 'rm -f bench.db' \
  -n cvn "$cvn_run" \
  -n "git diff" "$git_run"

peak_kb() {
  rm -f bench.db
  /usr/bin/time -v sh -c "$1" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ {print $2}'
}
# sh -c adds a shell; its own peak is far below either program's.
cvn_kb=$(peak_kb "exec $cvn_run")
git_kb=$(peak_kb "$git_run")

python3 - "$cvn_kb" "$git_kb" <<'PY'
import json, sys
cvn_kb, git_kb = int(sys.argv[1]), int(sys.argv[2])
results = {r["command"]: r for r in json.load(open("times.json"))["results"]}
cvn, git = results["cvn"], results["git diff"]
ratio = cvn["mean"] / git["mean"]
print()
print(f"cvn compare: mean {cvn['mean']:.3f} s (± {cvn['stddev']:.3f}), peak {cvn_kb / 1024:.1f} MB")
print(f"git diff:    mean {git['mean']:.3f} s (± {git['stddev']:.3f}), peak {git_kb / 1024:.1f} MB")
print(f"cvn / git time: {ratio:.2f} (target <= 0.50) {'met' if ratio <= 0.5 else 'MISSED'}")
print(f"cvn peak memory: {cvn_kb / 1024:.1f} MB (target < 64) {'met' if cvn_kb < 64 * 1024 else 'MISSED'}")
PY
