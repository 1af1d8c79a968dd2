#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang and libFuzzer (with
# AddressSanitizer and UndefinedBehaviorSanitizer) into build-fuzz/ (or
# $VELQ8_FUZZ_BUILD_DIR) and runs each for the given seconds (default 60).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# Each target starts from its seed corpus tests/fuzz/<target>/ and grows a
# working corpus in build-fuzz/corpus/<target>/ (the seeds stay as they are). An
# input that breaks a reader is written to build-fuzz/faults/<target>/ and the
# script ends with status 1: mend the reader, then copy the input into the seed
# corpus, where the ordinary test run replays it from then on. The last lines of
# each run (execs per second, inputs run) are in build-fuzz/logs/<target>.log.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(declaration_file record_reader formula_file dbf_reader cli_verify)
build=${VELQ8_FUZZ_BUILD_DIR:-$here/build-fuzz}

bash "$here/scripts/install-deps.sh"
need=()
for p in clang-14 libfuzzer-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y --no-install-recommends "${need[@]}" ||
    { $SUDO apt-get update && $SUDO apt-get install -y --no-install-recommends "${need[@]}"; }
fi

# -O1 with line tables: quick to build, and the faults name their lines.
cmake -S "$here" -B "$build" -G Ninja -DVELQ8_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
      -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
status=0
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t" "$build/faults/$t" "$build/logs"
  echo "== $t: $seconds s"
  if ! "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
       -print_final_stats=1 -artifact_prefix="$build/faults/$t/" \
       "$build/corpus/$t" "$here/tests/fuzz/$t" >"$build/logs/$t.log" 2>&1; then
    echo "   FAULT: see $build/logs/$t.log and $build/faults/$t/"
    status=1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$build/logs/$t.log" | sed 's/^/   /' || true
done
exit $status
