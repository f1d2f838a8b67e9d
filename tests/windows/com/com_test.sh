#!/bin/sh
# Registers cvn_core.dll in the Wine prefix and runs the C++ COM client on it.
# Usage: com_test.sh <com_client.exe> <cvn_core.dll> <tests/data folder>
set -u
client=$1 dll=$2 data=$3
here=$(cd "$(dirname "$0")/.." && pwd)
run="$here/wine_run.sh"

# Wine's drive Z: is the Unix root.
windows_path() { printf 'Z:%s' "$(realpath "$1")" | tr '/' '\\'; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if ! sh "$run" regsvr32 /s "$(windows_path "$dll")"; then
  echo "regsvr32 could not register $dll" >&2
  exit 1
fi
out="$scratch.out"
sh "$run" "$(windows_path "$client")" "$(windows_path "$data")" "$(windows_path "$scratch")" \
  "$(windows_path "$dll")" >"$out"
rc=$?
cat "$out"
# Windows programs end their lines with CRLF.
last=$(tr -d '\r' <"$out" | tail -n 1)
rm -f "$out"
# A client that died early prints no closing line: that is a failure too.
case "$last" in
  *" passed, 0 failed") ;;
  *" passed, "*" failed") [ "$rc" -ne 0 ] || rc=1 ;;
  *) echo "the client printed no closing line" >&2; rc=1 ;;
esac
exit "$rc"
