#!/bin/sh
# The Windows tests under Wine, in the prefix $WINEPREFIX.
#   wine.sh start | stop      makes the prefix (once) and starts one server for the whole run,
#                             or stops it
#   wine.sh run PROGRAM ARG.. runs a Windows program, passing on its output and exit code
#   wine.sh com DLL DATA CLIENT
#                             unregisters and registers DLL with regsvr32, then runs CLIENT (a
#                             program, or a script for cscript) with the tests\data folder, a
#                             scratch folder and the DLL
# A client passes with exit code 0, no "OnScriptError" trace (Wine 8's cscript exits 0 on an
# uncaught or syntax error) and a closing line "N passed, 0 failed" with N > 0.
# Output goes through files, never pipes: Wine's helper processes inherit the descriptors of
# the command that starts the server and would hold a pipe open.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
win() { printf 'Z:%s' "$(realpath "$1")" | tr '/' '\\'; }
quiet() { "$@" </dev/null >"$scratch/log" 2>&1 || { cat "$scratch/log" >&2; return 1; }; }
# Wine now and then fails to start a program while another one starts ("ShellExecuteEx
# failed: Internal error"); registering is idempotent, so a second try is safe.
twice() { "$@" 2>/dev/null || { sleep 2; "$@"; }; }
rc=0
case "$1" in
  start)
    mkdir -p "$WINEPREFIX"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p60 </dev/null >/dev/null 2>&1  # one word: the server exits after 60 idle seconds
    quiet wineboot -i || { echo "wineboot failed for $WINEPREFIX" >&2; exit 1; } ;;
  stop)
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true ;;
  run)
    shift
    wine "$@" </dev/null >"$scratch/out" 2>"$scratch/err" || rc=$?
    cat "$scratch/out"
    cat "$scratch/err" >&2 ;;
  com)
    dll=$(win "$2") data=$(win "$3") client=$4
    twice quiet wine regsvr32 /s /u "$dll"
    if wine reg query 'HKCR\CVN_Core.Corvane' </dev/null >/dev/null 2>&1; then
      echo "still registered after regsvr32 /u" >&2
      exit 1
    fi
    twice quiet wine regsvr32 /s "$dll" || { echo "regsvr32 could not register $dll" >&2; exit 1; }
    case "$client" in *.exe) set -- "$(win "$client")" ;; *) set -- cscript //nologo "$(win "$client")" ;; esac
    mkdir "$scratch/s"
    WINEDEBUG=-all,fixme+wscript wine "$@" "$data" "$(win "$scratch/s")" "$dll" </dev/null \
      >"$scratch/out" 2>"$scratch/err" || rc=$?
    tr -d '\r' <"$scratch/out"
    ! grep -q OnScriptError "$scratch/err" || { echo "the script stopped on an error" >&2; rc=1; }
    tr -d '\r' <"$scratch/out" | tail -n 1 | grep -Eq '(^|: )[1-9][0-9]* passed, 0 failed$' ||
      { echo "no closing line with checks and no failures" >&2; rc=1; }
    [ "$rc" -eq 0 ] || cat "$scratch/err" >&2 ;;
  *)
    echo "usage: $0 start|stop|run PROGRAM ARG...|com DLL DATA CLIENT" >&2
    exit 2 ;;
esac
exit "$rc"
