#!/usr/bin/env bash
# Fails when the last CTest run of a build folder skipped anything that is not
# on the allow-list tools/allowed_skips.txt: a QtTest case that called QSKIP
# (CTest counts its program as passed) or a CTest test that did not run.
#   tools/check_skips.sh <build folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: check_skips.sh <build folder>}
# The whole output of every test is in CTest's log; whether CTest ran a
# test at all only in its JUnit report (ctest --output-junit Testing/junit.xml).
log=$build/Testing/Temporary/LastTest.log
junit=$build/Testing/junit.xml
for f in "$log" "$junit"; do
  if [ ! -s "$f" ]; then
    echo "check_skips: no $f (run ctest --output-junit Testing/junit.xml)" >&2
    exit 1
  fi
done
allowed=$(grep -v -e '^#' -e '^[[:space:]]*$' "$here/allowed_skips.txt" || true)

# QtTest: "SKIP   : Test_Class::function(row) message".
skips=$(sed -n 's/^SKIP   : //p' "$log" || true)
# CTest: a test skipped (SKIP_RETURN_CODE, SKIP_REGULAR_EXPRESSION), not run
# (REQUIRED_FILES missing) or disabled.
ctest_skips=$(grep -o '<testcase name="[^"]*" [^>]*status="\(notrun\|disabled\)"' "$junit" \
              | sed 's/<testcase name="\([^"]*\)".*/\1/' | sort -u || true)

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
