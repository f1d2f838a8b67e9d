#!/bin/sh
# start: makes the Wine prefix of $WINEPREFIX (once) and starts one server
# that stays up for the whole test run; stop: stops it.
# Wine's helper processes inherit the descriptors of the command that starts
# the server, so that command's output goes to /dev/null: a caller reading a
# pipe would otherwise wait for the server to exit.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
case "${1:-}" in
  start)
    mkdir -p "$WINEPREFIX"
    wineserver -k >/dev/null 2>&1 || true
    # "-p60" in one word: the server exits after 60 idle seconds.
    wineserver -p60 </dev/null >/dev/null 2>&1
    if ! wineboot -i </dev/null >/dev/null 2>&1; then
      echo "wineboot failed for $WINEPREFIX" >&2
      exit 1
    fi
    echo "Wine prefix ready: $WINEPREFIX"
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
