#!/usr/bin/env bash
# The checked build: everything built with clang, Debug, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/; the whole test suite run
# there; then every fuzz harness of tests/fuzz replayed over its committed
# corpus (tests/fuzz/corpus/<name>: seeds and every past finding) and the
# shipped files of data/ it reads, each input once. The same inputs give the
# same answer on every machine: no time bound, no random search (that is
# tools/fuzz.sh). Any sanitizer report, failing test, unexplained skip or
# failing input makes the script fail.
#
#   QUORVEL_SANITIZE_SKIP_TESTS=1  only the replay (while working on a reader)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/checked.sh
bash tools/deps.sh checked
start=$SECONDS

configure_checked
cmake --build "$checked_build" --parallel
echo "checked build: $((SECONDS - start)) s"

status=0
if [ "${QUORVEL_SANITIZE_SKIP_TESTS:-0}" != 1 ]; then
  t=$SECONDS
  (cd "$checked_build" && ctest --output-on-failure --timeout 900 --output-junit Testing/junit.xml) || status=1
  bash tools/check_skips.sh "$checked_build" || status=1
  echo "test suite under the sanitizers: $((SECONDS - t)) s"
fi

t=$SECONDS
summary=()
while read -r name; do
  [ -n "$name" ] || continue
  inputs=()
  [ -d "tests/fuzz/corpus/$name" ] && mapfile -t inputs < <(find "tests/fuzz/corpus/$name" -type f | LC_ALL=C sort)
  if [ ${#inputs[@]} -eq 0 ]; then
    echo "fuzz_$name: no corpus in tests/fuzz/corpus/$name" >&2
    status=1
    continue
  fi
  mapfile -t -O ${#inputs[@]} inputs < <(shipped_seeds "$name")
  log=$checked_build/fuzz/replay-$name.log
  # Files, not folders, on the command line: libFuzzer runs each once and
  # writes nothing back.
  if "$checked_build/fuzz/fuzz_$name" -runs=0 "${fuzz_limits[@]}" "${inputs[@]}" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
    echo "---- fuzz_$name fails on an input of its corpus:" >&2
    tail -60 "$log" >&2
  fi
  executed=$(grep -c '^Executed ' "$log" || true)
  summary+=("fuzz_$name: $result, $executed of ${#inputs[@]} inputs executed")
  [ "$result" = FAILED ] || [ "$executed" -eq ${#inputs[@]} ] || { summary+=("  (not every input ran)"); status=1; }
done <"$checked_build/fuzz/harnesses.txt"
printf '%s\n' "${summary[@]}"
echo "corpus replay: $((SECONDS - t)) s"
echo "checked build, tests and replay: $((SECONDS - start)) s in all"
exit $status
