#!/usr/bin/env bash
# Fails when the last CTest run of a build folder skipped anything that is not
# on the allow-list tools/allowed_skips.txt: a QtTest case that called QSKIP
# (CTest counts its program as passed) or a CTest test that did not run.
#   tools/check_skips.sh <build folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: check_skips.sh <build folder>}
log=$build/Testing/Temporary/LastTest.log
if [ ! -s "$log" ]; then
  echo "check_skips: no test log at $log" >&2
  exit 1
fi
allowed=$(grep -v -e '^#' -e '^[[:space:]]*$' "$here/allowed_skips.txt" || true)

# QtTest: "SKIP   : Test_Class::function(row) message".
skips=$(sed -n 's/^SKIP   : //p' "$log")
# CTest: a test marked "Not Run" or skipped ("Test Skipped" in the log, with
# the test's name on its "<n>/<m> Test: <name>" line before it).
ctest_skips=$(awk '/^[0-9]+\/[0-9]+ Test: /{name=$3} /Test Skipped|Not Run/{if (name!="") print name}' "$log" | sort -u)

bad=0
while IFS= read -r line; do
  [ -n "$line" ] || continue
  if [ -n "$allowed" ] && grep -Eq -f <(printf '%s\n' "$allowed") <<<"$line"; then
    echo "skipped (allowed): $line"
  else
    echo "SKIPPED, not on tools/allowed_skips.txt: $line" >&2
    bad=1
  fi
done < <(printf '%s\n%s\n' "$skips" "$ctest_skips")
exit $bad
