#!/usr/bin/env bash
# Builds the application and starts it. Without a display it starts under Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/build.sh"
build=${VELQ8_BUILD_DIR:-$here/build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting under Xvfb (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/app/velq8" "$@"
fi
exec "$build/app/velq8" "$@"
