#!/usr/bin/env bash
# The checked build: everything built with clang, Debug, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/; the whole test suite run
# there; then each fuzz harness of tests/fuzz run for a bounded time from a
# copy of its seed corpus, with the shipped files of data/ and the harness's
# dictionary of tokens in tests/fuzz/dict. Any sanitizer report, failing
# test, unexplained skip or fuzzer finding makes the script fail; a fuzzer's
# finding is kept under build-sanitize/fuzz/findings/.
#
#   QUORVEL_FUZZ_SECONDS  time per harness (60)
#   QUORVEL_FUZZ_SEED     the fuzzers' random seed (1): CI repeats the same
#                         run, so what it finds reproduces; set another (or
#                         0, a new one each time) to search further by hand
#   QUORVEL_SANITIZE_SKIP_TESTS=1  only the harnesses (while working on one)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${QUORVEL_FUZZ_SECONDS:-60}
build=build-sanitize

bash tools/deps.sh
start=$SECONDS

# A finding stops the program at once with a non-zero status. The leak
# checker's suppressions (lsan.supp) name only code proven to be Qt's or the
# system's own.
# An allocation past 16 GB fails (returns null) as it does without the
# sanitizers on a machine without that much memory: Qt reserves a list of the
# length a corrupt "@Variant(...)" settings value claims, which glibc refuses
# or leaves untouched, while ASan would poison gigabytes of its shadow for it.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:allocator_may_return_null=1:max_allocation_size_mb=16384"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Debug \
  -DQUORVEL_SANITIZE=ON -DQUORVEL_FUZZ=ON >/dev/null
cmake --build "$build" --parallel
echo "checked build: $((SECONDS - start)) s"

status=0
if [ "${QUORVEL_SANITIZE_SKIP_TESTS:-0}" != 1 ]; then
  t=$SECONDS
  (cd "$build" && ctest --output-on-failure --timeout 900 --output-junit Testing/junit.xml) || status=1
  bash tools/check_skips.sh "$build" || status=1
  echo "test suite under the sanitizers: $((SECONDS - t)) s"
fi

findings=$root/$build/fuzz/findings
rm -rf "$findings" && mkdir -p "$findings"
summary=()
while read -r name; do
  [ -n "$name" ] || continue
  seeds=$root/tests/fuzz/corpus/$name
  if [ -z "$(ls -A "$seeds" 2>/dev/null)" ]; then
    echo "fuzz_$name: no seed corpus in tests/fuzz/corpus/$name" >&2
    status=1
    continue
  fi
  work=$root/$build/fuzz/run/$name
  rm -rf "$work" && mkdir -p "$work/corpus"
  cp "$seeds"/* "$work/corpus/"
  # The shipped files as they are today join the committed seeds.
  shipped=()
  dict=$root/tests/fuzz/dict/$name.dict
  case $name in
    data_file) shipped=(data/*.dat data/*.mtr data/*.qvl); dict=$root/tests/fuzz/dict/data.dict ;;
    fixture_table) shipped=(data/Table-1.dat data/Table-2.dat); dict=$root/tests/fuzz/dict/data.dict ;;
    conversion_table) shipped=(data/Table-3.dat); dict=$root/tests/fuzz/dict/data.dict ;;
    meter_list) shipped=(data/*.mtr); dict=$root/tests/fuzz/dict/data.dict ;;
    job_file) shipped=(data/*.qvl) ;;
  esac
  for f in "${shipped[@]}"; do
    [ -f "$f" ] && cp "$f" "$work/corpus/shipped-$(basename "$f")"
  done
  options=()
  [ -f "$dict" ] && options+=(-dict="$dict")
  log=$work/fuzz.log
  t=$SECONDS
  if (cd "$work" && "$root/$build/fuzz/fuzz_$name" -max_total_time="$seconds" -seed="${QUORVEL_FUZZ_SEED:-1}" -timeout=20 -rss_limit_mb=2560 \
        -print_final_stats=1 -artifact_prefix="$findings/$name-" "${options[@]}" corpus >"$log" 2>&1); then
    result=ok
  else
    result=FAILED
    status=1
    echo "---- fuzz_$name found a fault (input kept in $findings):" >&2
    grep -v '^#[0-9]' "$log" | tail -60 >&2
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  summary+=("fuzz_$name: $result, ${runs:-?} executions in $((SECONDS - t)) s")
done <"$build/fuzz/harnesses.txt"
printf '%s\n' "${summary[@]}"
echo "sanitizers and fuzzing: $((SECONDS - start)) s in all"
exit $status
