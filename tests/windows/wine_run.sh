#!/bin/sh
# Runs a Windows program under Wine and passes on its output and exit code.
# The output goes through files, not pipes: a Wine helper process that
# outlives the program must not hold the caller's pipe open.
set -u
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
wine "$@" </dev/null >"$out" 2>"$err"
rc=$?
cat "$out"
cat "$err" >&2
exit $rc
