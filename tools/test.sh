#!/usr/bin/env bash
# Builds everything, the tests and the benchmarks too, with every compiler
# warning an error, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh test
bash tools/build.sh -DQUORVEL_TESTS=ON -DQUORVEL_WERROR=ON
cd build
ctest --output-on-failure --timeout 600 --output-junit Testing/junit.xml
# A skipped case counts as a failure unless tools/allowed_skips.txt explains it.
bash ../tools/check_skips.sh .
