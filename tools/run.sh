#!/usr/bin/env bash
# Builds the programs (not the tests or the benchmarks) and starts Quorvel on
# the shipped data and the sample job. Without a display it prints the sample
# job's report instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh run
bash tools/build.sh -DQUORVEL_TESTS=OFF
bin=build/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${1:-}" != "--no-window" ]; then
  exec "$bin/Quorvel" "$bin/Sample.qvl"
fi
exec "$bin/Quorvel" --report "$bin/Sample.qvl"
