#!/usr/bin/env bash
# Builds everything and runs every test, offscreen.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/build.sh"
build=${VELQ8_BUILD_DIR:-$here/build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j2
