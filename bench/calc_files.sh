#!/bin/bash
# Times "Quorvel --calc" over many job files against "cat" of the same files:
# whole processes, the median of five runs each (alternating), with the peak
# resident memory of each. Installs nothing; needs /usr/bin/time.
#
#   bash bench/calc_files.sh [JOBS] [PROGRAM]
#
# JOBS: how many copies of the sample job (default 10000); PROGRAM: the
# Quorvel executable (default build/bin/Quorvel beside this folder), whose
# folder holds the tables and Sample.qvl.
set -euo pipefail

jobs=${1:-10000}
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${2:-$here/../build/bin/Quorvel}")
sample=$(dirname "$program")/Sample.qvl
runs=5
[ -x "$program" ] || { echo "calc_files.sh: no program at $program" >&2; exit 2; }
[ -f "$sample" ] || { echo "calc_files.sh: no Sample.qvl beside $program" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "calc_files.sh: /usr/bin/time is missing" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/jobs"
IFS= read -r -d '' bytes < "$sample" || true # the whole file (it holds no NUL)
for ((i = 0; i < jobs; i++)); do
    printf '%s' "$bytes" > "$work/jobs/$i.qvl"
done
cmp -s "$sample" "$work/jobs/0.qvl" || { echo "calc_files.sh: the copies differ from the sample" >&2; exit 2; }
cd "$work/jobs"
files=()
for ((i = 0; i < jobs; i++)); do
    files+=("$i.qvl")
done

# One run: "seconds peak_kB" of the command, its output thrown away. A run
# that fails other than by an unsized job (status 1) stops the benchmark.
measure() {
    local status=0
    QT_QPA_PLATFORM=offscreen /usr/bin/time -f '%e %M' -o "$work/time" "$@" > /dev/null 2> "$work/err" || status=$?
    if [ "$status" -gt 1 ]; then
        echo "calc_files.sh: $1 failed ($status):" >&2
        head -5 "$work/err" >&2
        exit 2
    fi
    tail -1 "$work/time"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: > "$work/calc"
: > "$work/cat"
for ((r = 0; r < runs; r++)); do
    measure "$program" --calc "${files[@]}" >> "$work/calc"
    measure cat "${files[@]}" >> "$work/cat"
done

calc_s=$(cut -d' ' -f1 < "$work/calc" | median)
calc_kb=$(cut -d' ' -f2 < "$work/calc" | median)
cat_s=$(cut -d' ' -f1 < "$work/cat" | median)
cat_kb=$(cut -d' ' -f2 < "$work/cat" | median)
echo "jobs: $jobs (copies of $(basename "$sample")), median of $runs runs"
printf '%-16s %10s %14s\n' "" "seconds" "peak RSS kB"
printf '%-16s %10s %14s\n' "Quorvel --calc" "$calc_s" "$calc_kb"
printf '%-16s %10s %14s\n' "cat" "$cat_s" "$cat_kb"
awk -v a="$calc_s" -v b="$cat_s" 'BEGIN { if (b > 0) printf "ratio --calc / cat: %.2f\n", a / b; else print "ratio --calc / cat: cat took no measurable time" }'
