#!/bin/sh
# Registers cvn_core.dll in the Wine prefix and runs one test script with
# cscript: cscript //nologo <script> <tests\data> <scratch folder> [argument].
# Usage: run_scripts.sh <cvn_core.dll> <script> <tests/data folder> [unregistered]
#
# With "unregistered" the script runs twice: after regsvr32 /u with the
# argument "absent", and after registering again with "present".
#
# Wine 8's cscript exits 0 and prints nothing when a script stops on an
# uncaught or syntax error; only its "OnScriptError" trace on stderr shows it.
# So a run passes only with exit code 0, no such trace and a closing line
# "<name>: N passed, 0 failed" with N > 0. Output goes through files, never
# pipes: Wine's helper processes would hold a pipe open.
set -u
if [ $# -lt 3 ]; then
  echo "usage: $0 <cvn_core.dll> <script> <tests/data folder> [unregistered]" >&2
  exit 2
fi
dll=$1 script=$2 data=$3 mode=${4:-}

# Wine's drive Z: is the Unix root.
windows_path() { printf 'Z:%s' "$(realpath "$1")" | tr '/' '\\'; }

scratch=$(mktemp -d)
log="$scratch.log" out="$scratch.out" err="$scratch.err"
trap 'rm -rf "$scratch" "$log" "$out" "$err"' EXIT
status=0

fail() {
  echo "FAIL: $*" >&2
  status=1
}

# regsvr32 prints its result instead of showing a dialog; keep it for failures.
regsvr32_run() {
  wine regsvr32 /s "$@" </dev/null >"$log" 2>&1
  rc=$?
  [ "$rc" -eq 0 ] || cat "$log" >&2
  return "$rc"
}

run_script() {
  WINEDEBUG=-all,fixme+wscript wine cscript //nologo "$(windows_path "$script")" \
    "$(windows_path "$data")" "$(windows_path "$scratch")" "$@" </dev/null >"$out" 2>"$err"
  rc=$?
  tr -d '\r' <"$out"
  name="$(basename "$script")${1:+ $1}"
  ok=1
  if grep -q OnScriptError "$err"; then
    fail "$name: the script stopped on an uncaught or syntax error"
    ok=0
  fi
  last=$(tr -d '\r' <"$out" | tail -n 1)
  counts=$(printf '%s\n' "$last" | sed -n 's/^[a-z_]*: \([0-9][0-9]*\) passed, \([0-9][0-9]*\) failed$/\1 \2/p')
  if [ -z "$counts" ]; then
    fail "$name: no closing line"
    ok=0
  else
    set -- $counts
    [ "$1" -gt 0 ] || { fail "$name: no check ran"; ok=0; }
    [ "$2" -eq 0 ] || { fail "$name: $2 checks failed"; ok=0; }
  fi
  if [ "$rc" -ne 0 ]; then
    fail "$name: cscript exited with $rc"
    ok=0
  fi
  [ "$ok" -eq 1 ] || cat "$err" >&2
}

if ! regsvr32_run "$(windows_path "$dll")"; then
  fail "regsvr32 could not register $dll"
  exit 1
fi

case "$mode" in
  "")
    run_script
    ;;
  unregistered)
    regsvr32_run /u "$(windows_path "$dll")" || fail "regsvr32 /u exited with $rc"
    run_script absent
    # Later tests need the classes: register again whatever happened above.
    regsvr32_run "$(windows_path "$dll")" || fail "regsvr32 could not register again ($rc)"
    run_script present
    # A failed registration must show in the exit code, or the checks above prove nothing.
    if regsvr32_run "$(windows_path "$scratch")\\missing.dll" 2>/dev/null; then
      fail "regsvr32 of a missing DLL exited with 0"
    fi
    ;;
  *)
    echo "unknown mode: $mode" >&2
    exit 2
    ;;
esac
exit "$status"
