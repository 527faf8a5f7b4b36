#!/usr/bin/env bash
# Builds the program and starts it on the shipped data and the sample job.
# Without a display it prints the sample job's report instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
bin=build/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${1:-}" != "--no-window" ]; then
  exec "$bin/Quorvel" "$bin/Sample.qvl"
fi
exec "$bin/Quorvel" --report "$bin/Sample.qvl"
