#!/usr/bin/env bash
# Builds everything and runs every test, offscreen.
#
#   scripts/test.sh              the ordinary build in build/ (what CI runs): every
#                                test on SQLite, then the tests of the database, the
#                                engines and the command line again on a throwaway
#                                PostgreSQL server (scripts/pg_server.sh) in
#                                build/pg-test/, stopped however the run ends
#   scripts/test.sh --sanitize   the same suite built with AddressSanitizer and
#                                UndefinedBehaviorSanitizer in build-sanitize/
#                                (or $VELQ8_SANITIZE_BUILD_DIR); any report fails
#                                its test
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=offscreen

if [ "${1:-}" = "--sanitize" ]; then
  bash "$here/scripts/install-deps.sh"
  build=${VELQ8_SANITIZE_BUILD_DIR:-$here/build-sanitize}
  # -O1 -g1: the sanitizers' advice, with line tables for their reports and a
  # build that is not much slower than the ordinary one.
  cmake -S "$here" -B "$build" -G Ninja -DVELQ8_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" >/dev/null
  cmake --build "$build" -j"$(nproc)"
  # Leaks are looked for too, with nothing suppressed: the suite leaks nothing,
  # Qt and fontconfig included.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  ctest --test-dir "$build" --output-on-failure -j2
  exit
fi

bash "$here/scripts/build.sh"
build=${VELQ8_BUILD_DIR:-$here/build}

# The tests that reach the database run a second time on a throwaway PostgreSQL
# server (their _server twins, label "server"): started here, in the build
# folder, and stopped on every way out (a failing test, Ctrl-C, an error here).
server_dir="$build/pg-test"
trap 'bash "$here/scripts/pg_server.sh" stop "$server_dir"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
server_url=$(bash "$here/scripts/pg_server.sh" start "$server_dir" "${VELQ8_TEST_PORT:-55500}")

status=0
echo "== SQLite: the whole suite"
ctest --test-dir "$build" --output-on-failure -j2 -LE server || status=1
echo "== PostgreSQL ($server_url): the database, engine and command-line tests"
VELQ8_TEST_SERVER=$server_url ctest --test-dir "$build" --output-on-failure -j2 -L server || status=1
exit $status
