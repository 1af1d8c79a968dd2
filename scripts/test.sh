#!/usr/bin/env bash
# Builds everything and runs every test, offscreen.
#
#   scripts/test.sh              the ordinary build in build/ (what CI runs)
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
ctest --test-dir "$build" --output-on-failure -j2
