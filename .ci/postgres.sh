#!/usr/bin/env bash
# Runs a command beside a throw-away PostgreSQL cluster, for the tests that need a real server:
#
#   .ci/postgres.sh COMMAND [ARG...]     e.g. .ci/postgres.sh cmake --workflow --preset release
#
# The cluster lives in a temporary folder, listens on 127.0.0.1 only (the first free port from
# 55432 on) and is removed afterwards, whatever happens. The command sees its connection string
# in CVN_TEST_POSTGRES; the script exits with the command's status. It installs nothing: the
# server comes from Debian's postgresql package. The server refuses to run as root, so as root
# it runs as the postgres user.
set -euo pipefail

if (($# == 0)); then
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
fi

bin=${CVN_PG_BIN:-}
if [[ -z $bin ]]; then
  for candidate in /usr/lib/postgresql/*/bin; do
    [[ -x $candidate/pg_ctl ]] && bin=$candidate
  done
fi
if [[ -z $bin || ! -x $bin/initdb || ! -x $bin/pg_ctl ]]; then
  echo "$0: no PostgreSQL server found (apt-get install postgresql)" >&2
  exit 1
fi

# From the cluster's folder: the caller's may be closed to the postgres user.
as_server() {
  if [[ $(id -u) == 0 ]]; then
    (cd "$dir" && runuser -u postgres -- "$@")
  else
    (cd "$dir" && "$@")
  fi
}

# In /tmp, which the postgres user can reach whatever TMPDIR says.
dir=$(mktemp -d /tmp/cvn-postgres.XXXXXX)
started=false
# shellcheck disable=SC2317  # called by the trap
stop_cluster() {
  if $started; then
    as_server "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 ||
      as_server "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
}
trap stop_cluster EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

[[ $(id -u) == 0 ]] && chown postgres: "$dir"
# No durability needed: the cluster is thrown away.
as_server "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --no-locale -N \
  >"$dir/initdb.log" 2>&1 || {
  cat "$dir/initdb.log" >&2
  exit 1
}

port=55432
while :; do
  if as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
    -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories=$dir -c fsync=off" \
    >/dev/null 2>&1; then
    started=true
    break
  fi
  if ! grep -q "could not bind\|could not create lock file\|already in use" "$dir/server.log" ||
    ((port >= 55482)); then
    echo "$0: the PostgreSQL server did not start:" >&2
    cat "$dir/server.log" >&2
    exit 1
  fi
  port=$((port + 1))
  rm -f "$dir/server.log"
done

export CVN_TEST_POSTGRES="host=127.0.0.1 port=$port user=postgres dbname=postgres"
echo "PostgreSQL test cluster on port $port (CVN_TEST_POSTGRES=\"$CVN_TEST_POSTGRES\")"
set +e
"$@"
status=$?
set -e
exit "$status"
