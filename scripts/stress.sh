#!/usr/bin/env bash
# Several writers on one database at once, some killed with SIGKILL midway, then
# every month checked whole and the last acknowledged write of each present.
# Beside the suite, not in CI:
#
#   scripts/stress.sh [--server] [--seconds N] [--workers N]
#
# On an SQLite file in build/stress/, or with --server on a throwaway PostgreSQL
# server (scripts/pg_server.sh, stopped again however the run ends). It prints
# its figures: operations, acknowledged, refusals, kills, failures, violations;
# exit status 0 when there is no violation and no failure.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELQ8_BUILD_DIR:-$here/build}
server=0 seconds=30 workers=4
while [ $# -gt 0 ]; do
  case "$1" in
    --server) server=1; shift ;;
    --seconds) seconds=$2; shift 2 ;;
    --workers) workers=$2; shift 2 ;;
    *) echo "usage: $0 [--server] [--seconds N] [--workers N]" >&2; exit 2 ;;
  esac
done

[ -f "$build/build.ninja" ] || bash "$here/scripts/build.sh"
cmake --build "$build" --target velq8-cli velq8-stress >/dev/null
work="$build/stress"
rm -rf "$work/v0" "$work/v1" "$work/v2"
mkdir -p "$work"

location="$work/stress.sqlite"
if [ $server -eq 1 ]; then
  trap 'bash "$here/scripts/pg_server.sh" stop "$work/pg"' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  url=$(bash "$here/scripts/pg_server.sh" start "$work/pg" "${VELQ8_STRESS_PORT:-55600}")
  psql -q "$url/postgres" -c "create database stress"
  location="$url/stress"
fi
echo "stress: $location, $seconds s, $workers writers"
QT_QPA_PLATFORM=offscreen "$build/tests/stress/velq8-stress" --cli "$build/cli/velq8-cli" \
  --database "$location" --work "$work" --seconds "$seconds" --workers "$workers"
