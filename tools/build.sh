#!/usr/bin/env bash
# Configures build/ with the CMake options given and builds it (the program
# folder is build/bin). The caller installs the packages first (tools/deps.sh).
#   tools/build.sh [-DOPTION=VALUE...]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build build --parallel
