#!/usr/bin/env bash
# Exploratory fuzzing, for whoever changes a reader: each harness named (all
# of them by default) searches for SECONDS (60) from its committed corpus,
# the shipped files of data/ it reads and its dictionary, in the checked build
# (built here if needed). What it finds is kept under
# build-sanitize/fuzz/findings/; fix the fault, then commit the input to
# tests/fuzz/corpus/<harness>/ so that tools/sanitize.sh replays it from then on.
#
#   tools/fuzz.sh [SECONDS] [HARNESS...]
#   QUORVEL_FUZZ_SEED  libFuzzer's random seed (by default a new one each run;
#                      the seed used is printed, to repeat a run)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source tools/checked.sh
seconds=60
if [[ ${1:-} =~ ^[0-9]+$ ]]; then seconds=$1; shift; fi
bash tools/deps.sh checked
[ -f "$checked_build/build.ninja" ] || configure_checked
# The harness list is written when the build is configured.
mapfile -t all < "$checked_build/fuzz/harnesses.txt"
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=("${all[@]}")
for name in "${harnesses[@]}"; do
  printf '%s\n' "${all[@]}" | grep -qx -- "$name" || { echo "no harness $name; there are: ${all[*]}" >&2; exit 1; }
done
cmake --build "$checked_build" --target "${harnesses[@]/#/fuzz_}"

findings=$root/$checked_build/fuzz/findings
mkdir -p "$findings"
status=0
summary=()
for name in "${harnesses[@]}"; do
  work=$root/$checked_build/fuzz/run/$name
  rm -rf "$work" && mkdir -p "$work/corpus"
  cp tests/fuzz/corpus/"$name"/* "$work/corpus/"
  while read -r f; do cp "$f" "$work/corpus/shipped-$(basename "$f")"; done < <(shipped_seeds "$name")
  options=(-max_total_time="$seconds" "${fuzz_limits[@]}" -print_final_stats=1
           -artifact_prefix="$findings/$name-")
  [ -z "${QUORVEL_FUZZ_SEED:-}" ] || options+=(-seed="$QUORVEL_FUZZ_SEED")
  dict=$(fuzz_dict "$name")
  [ -z "$dict" ] || options+=(-dict="$root/$dict")
  log=$work/fuzz.log
  t=$SECONDS
  if (cd "$work" && "$root/$checked_build/fuzz/fuzz_$name" "${options[@]}" corpus >"$log" 2>&1); then
    result=ok
  else
    result=FOUND
    status=1
    echo "---- fuzz_$name found a fault:" >&2
    grep -v '^#[0-9]' "$log" | tail -60 >&2
  fi
  seed=$(sed -n 's/^INFO: Seed: //p' "$log" | head -1)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  summary+=("fuzz_$name: $result, ${runs:-?} executions in $((SECONDS - t)) s (seed ${seed:-?})")
done
printf '%s\n' "${summary[@]}"
if [ $status -ne 0 ]; then
  echo "Findings are kept in $findings. Fix each fault, then commit its input to" \
       "tests/fuzz/corpus/<harness>/: tools/sanitize.sh replays the corpus on every landing." >&2
fi
exit $status
