#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests and the stress run.
#
#   scripts/pg_server.sh start DIR [PORT]   makes a new cluster in DIR/data (see start for
#                                           where the server user cannot reach DIR), starts it on
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
  rm -rf "$dir/data" "$dir/url" "$dir/cluster"
  # The cluster lives in DIR when the server user can reach it through every
  # folder above it; under root's closed home it cannot, and the cluster goes to
  # a folder of its own under /tmp, which DIR/cluster names (stop removes it).
  local home=$dir
  chown "$user" "$dir"
  if ! as_user "$user" test -w "$dir"; then
    home=$(mktemp -d /tmp/velq8-pg.XXXXXX)
    chown "$user" "$home"
  fi
  echo "$home" >"$dir/cluster"
  local data=$home/data

  as_user "$user" "$bin/initdb" --no-sync -E UTF8 --locale=C --auth=trust -U velq8 \
    -D "$data" >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; die "initdb failed"; }
  cat >>"$data/postgresql.conf" <<EOF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$home'
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
    if as_user "$user" "$bin/pg_ctl" -D "$data" -l "$home/server.log" -w -t 30 \
         -o "-p $port" start >/dev/null 2>&1; then
      break
    fi
    tries=$((tries + 1))
    [ $tries -lt 5 ] || { tail -n 20 "$home/server.log" >&2; die "the server did not start"; }
    port=$((port + 1))
  done
  echo "postgresql://velq8@127.0.0.1:$port" | tee "$dir/url"
}

stop() {
  local dir=$1
  [ -n "$dir" ] || die "stop needs a folder"
  [ -f "$dir/cluster" ] || return 0
  local home bin owner
  home=$(cat "$dir/cluster")
  if [ -f "$home/data/postmaster.pid" ]; then
    bin=$(bindir)
    owner=$(stat -c %U "$home/data")
    as_user "$owner" "$bin/pg_ctl" -D "$home/data" -m fast -w -t 30 stop >/dev/null 2>&1 || true
  fi
  rm -f "$dir/url"
  # A cluster kept outside DIR goes with its server; one in DIR stays for a look
  # at its log until the next start.
  case "$home" in /tmp/velq8-pg.*) rm -rf "$home"; rm -f "$dir/cluster" ;; esac
}

case "${1:-}" in
  start) start "${2:-}" "${3:-}" ;;
  stop) stop "${2:-}" ;;
  *) echo "usage: $0 start DIR [PORT] | stop DIR" >&2; exit 2 ;;
esac
