#!/usr/bin/env bash
# End-to-end benchmarks of cvn compare. Each figure is printed beside its peer, both measured
# in this run: mean wall time of 10 runs with hyperfine, peak memory with GNU time (Debian
# packages hyperfine, time, git, python3). Use a release build (cmake --preset release &&
# cmake --build --preset release --target cvn).
#
#   bench/e2e/run.sh [--cvn PATH] [--work FOLDER] [--real OLD NEW] [--git REPO REV1 REV2]
#                    [--large] [--many]
#
# Always: a generated pair of C trees (2,000 files, about 400,000 lines a side; 10% edited,
#   5% added, 3% deleted): cvn against git diff --no-index --numstat, cvn -j1 against the
#   default (one thread per core), and cat reading every file once against git.
# --real OLD NEW: two releases of a real C project, for example curl 7.70.0 and 8.10.0
#   unpacked from two git archive tarballs: the same two comparisons and cvn's peak memory.
# --git REPO REV1 REV2: cvn compare --git against git diff --numstat between the same
#   revisions of a local clone; the temporary folder must stay empty.
# --large: 18 pairs of 2-million-line files, -j1 against the default; then one such pair's
#   peak memory against 1.5 times the two files' bytes plus 40 bytes a line.
# --many: generated trees of 1,000, 10,000 and 50,000 files a side (60 lines a file): time
#   and peak memory of cvn and git.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cvn=$here/../../build/release/cvn
work=
real=()
git_args=()
large=false
many=false
while (($#)); do
  case $1 in
    --cvn) cvn=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --real) real=("$(realpath "$2")" "$(realpath "$3")"); shift 3 ;;
    --git) git_args=("$(realpath "$2")" "$3" "$4"); shift 4 ;;
    --large) large=true; shift ;;
    --many) many=true; shift ;;
    *) echo "$0: unknown argument $1 (see the header of this script)" >&2; exit 2 ;;
  esac
done
cvn=$(realpath "$cvn")
for tool in hyperfine git python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
done
[[ -x $cvn ]] || { echo "$0: no cvn at $cvn" >&2; exit 1; }
if [[ -z $work ]]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/cvn-e2e.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
cd "$work"

# git diff exits with 1 when the trees differ, which they do.
git_diff="git diff --no-index --numstat"

# compare TITLE NAME_A COMMAND_A NAME_B COMMAND_B TARGET: both timed in turn, then the
# ratio of their means against the target (A / B at most TARGET; "-": no target).
compare() {
  local title=$1 name_a=$2 run_a=$3 name_b=$4 run_b=$5 target=$6
  echo
  echo "== $title"
  hyperfine --runs 10 --warmup 1 --export-json times.json --prepare 'rm -f bench.db' -i \
    --style basic -n "$name_a" "$run_a" -n "$name_b" "$run_b" >/dev/null
  python3 - "$name_a" "$name_b" "$target" <<'PY'
import json, sys
a, b, target = sys.argv[1], sys.argv[2], sys.argv[3]
results = {r["command"]: r for r in json.load(open("times.json"))["results"]}
for name in (a, b):
    print(f"{name:>22}: mean {results[name]['mean']:.3f} s (± {results[name]['stddev']:.3f})")
ratio = results[a]["mean"] / results[b]["mean"]
if target == "-":
    print(f"{a} / {b}: {ratio:.2f}")
else:
    verdict = "met" if ratio <= float(target) else "MISSED"
    print(f"{a} / {b}: {ratio:.2f} (target <= {float(target):.2f}) {verdict}")
PY
}

# peak_mb COMMAND: the largest resident size of the command, in MB.
peak_mb() {
  rm -f bench.db
  /usr/bin/time -v sh -c "exec $1 >/dev/null" 2>&1 | awk -F': ' '/Maximum resident set size/ {printf "%.1f", $2 / 1024}'
}

# trees OLD NEW LABEL TARGET: cvn against git, -j1 against the default, cvn's peak memory,
# and the floor under them all: reading every file once, with cat.
trees() {
  local old=$1 new=$2 label=$3 target=$4
  compare "$label: cvn against git" cvn "$cvn compare $old $new --quiet --db bench.db" \
    "git diff" "$git_diff $old $new" "$target"
  compare "$label: reading every file against git" "cat" \
    "sh -c 'find $old $new -type f -print0 | xargs -0 cat >/dev/null'" \
    "git diff" "$git_diff $old $new" -
  compare "$label: all cores against one" "cvn" "$cvn compare $old $new --quiet --db bench.db" \
    "cvn -j1" "$cvn compare -j1 $old $new --quiet --db bench.db" 1
  echo "peak: cvn $(peak_mb "$cvn compare $old $new --quiet --db bench.db") MB, git $(peak_mb "$git_diff $old $new") MB (target for cvn < 64)"
}

python3 "$here/generate_trees.py" --seed 1 --files 2000 --lines 400000 --out generated >/dev/null
trees generated/old generated/new "generated trees" 0.40

if ((${#real[@]})); then
  trees "${real[0]}" "${real[1]}" "real trees" 0.30
fi

if ((${#git_args[@]})); then
  repo=${git_args[0]} rev1=${git_args[1]} rev2=${git_args[2]}
  mkdir -p tmp
  compare "--git $rev1 $rev2: cvn against git" \
    cvn "env TMPDIR=$work/tmp $cvn compare --git $repo $rev1 $rev2 --quiet --db bench.db" \
    "git diff" "git -C $repo diff --numstat $rev1 $rev2" 2.5
  if [[ -z $(ls -A tmp) ]]; then echo "temporary folder: empty"; else echo "temporary folder: NOT EMPTY"; fi
fi

if $large; then
  mkdir -p large/old large/new
  python3 "$here/generate_pair.py" large/one.c large/two.c --lines 2000000
  for k in $(seq 1 18); do
    ln -f large/one.c "large/old/f$k.c"
    ln -f large/two.c "large/new/f$k.c"
  done
  compare "18 pairs of 2-million-line files: all cores against one" \
    "cvn" "$cvn compare large/old large/new --quiet --db bench.db" \
    "cvn -j1" "$cvn compare -j1 large/old large/new --quiet --db bench.db" 0.56
  mkdir -p pair/old pair/new
  ln -f large/one.c pair/old/f.c
  ln -f large/two.c pair/new/f.c
  bytes=$(($(stat -c %s large/one.c) + $(stat -c %s large/two.c)))
  limit=$(python3 -c "print(f'{(1.5 * $bytes + 40 * 4_000_000) / 2**20:.1f}')")
  echo "one pair: peak $(peak_mb "$cvn compare pair/old pair/new --quiet --db bench.db") MB, files $((bytes / 1048576)) MB (target <= $limit MB)"
fi

if $many; then
  echo
  echo "== many files: time and peak memory"
  for files in 1000 10000 50000; do
    python3 "$here/generate_trees.py" --seed 1 --files $files --lines $((files * 60)) --out "many$files" >/dev/null
    for side in cvn git; do
      run="$cvn compare many$files/old many$files/new --quiet --db bench.db"
      [[ $side == git ]] && run="$git_diff many$files/old many$files/new"
      rm -f bench.db
      /usr/bin/time -f "%e %M" -o figures sh -c "exec $run >/dev/null 2>&1" || true
      awk -v files=$files -v side=$side \
        '{printf "%6d files a side, %s: %5.2f s, peak %6.1f MB\n", files, side, $1, $2 / 1024}' <(tail -n 1 figures)
    done
  done
  echo "(target for cvn at 50,000 files: <= 64 MB plus its file lists)"
fi
