#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests and the stress run.
#
#   scripts/pg_server.sh start DIR [PORT]   makes a new cluster in DIR/data, starts it on
#                                           127.0.0.1 (PORT, or the next free port after it)
#                                           and prints its URL: postgresql://velq8@127.0.0.1:PORT
#   scripts/pg_server.sh stop DIR           stops it (nothing to do when it is not running)
#
# The cluster is for tests only: trust authentication for the user velq8 on
# 127.0.0.1, fsync off, its socket in DIR. It never listens beyond the machine.
# PostgreSQL refuses to run as root, so under root (CI) the server runs as the
# system user postgres, or velq8pg (created here) where there is none.
set -euo pipefail

die() { echo "pg_server.sh: $*" >&2; exit 2; }

bindir() {
  local dir
  dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -n "$dir" ] && [ -x "$dir/initdb" ] || die "PostgreSQL is not installed (scripts/install-deps.sh installs it)"
  echo "$dir"
}

# The user the server runs as: ourselves, unless we are root.
server_user() {
  if [ "$(id -u)" -ne 0 ]; then id -un; return; fi
  if id postgres >/dev/null 2>&1; then echo postgres; return; fi
  id velq8pg >/dev/null 2>&1 ||
    useradd --system --no-create-home --shell /usr/sbin/nologin velq8pg >/dev/null
  echo velq8pg
}

as_user() {
  local user=$1; shift
  if [ "$(id -un)" = "$user" ]; then "$@"; else runuser -u "$user" -- "$@"; fi
}

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

start() {
  local dir=$1 port=${2:-55500}
  [ -n "$dir" ] || die "start needs a folder"
  local bin user
  bin=$(bindir)
  user=$(server_user)
  stop "$dir" >/dev/null 2>&1 || true
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  rm -rf "$dir/data" "$dir/url"
  chown "$user" "$dir"
  # The server user must reach the folder through every folder above it.
  as_user "$user" test -w "$dir" || die "$user cannot write to $dir (a folder above it is closed to others)"

  as_user "$user" "$bin/initdb" --no-sync -E UTF8 --locale=C --auth=trust -U velq8 \
    -D "$dir/data" >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; die "initdb failed"; }
  cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$dir'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 200
EOF
  # A port another program holds is skipped; one taken between the look and the
  # start fails the start, and the next port is tried.
  local tries=0
  while :; do
    while port_taken "$port"; do port=$((port + 1)); done
    if as_user "$user" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
         -o "-p $port" start >/dev/null 2>&1; then
      break
    fi
    tries=$((tries + 1))
    [ $tries -lt 5 ] || { tail -n 20 "$dir/server.log" >&2; die "the server did not start"; }
    port=$((port + 1))
  done
  echo "postgresql://velq8@127.0.0.1:$port" | tee "$dir/url"
}

stop() {
  local dir=$1
  [ -n "$dir" ] || die "stop needs a folder"
  [ -f "$dir/data/postmaster.pid" ] || return 0
  local bin owner
  bin=$(bindir)
  owner=$(stat -c %U "$dir/data")
  as_user "$owner" "$bin/pg_ctl" -D "$dir/data" -m fast -w -t 30 stop >/dev/null 2>&1 || true
  rm -f "$dir/url"
}

case "${1:-}" in
  start) start "${2:-}" "${3:-}" ;;
  stop) stop "${2:-}" ;;
  *) echo "usage: $0 start DIR [PORT] | stop DIR" >&2; exit 2 ;;
esac
