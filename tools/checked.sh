# Sourced by tools/sanitize.sh and tools/fuzz.sh: the checked build's folder,
# its configuration, the sanitizers' options and each fuzz harness's seeds.
# Expects to run at the top of the checkout.
checked_build=build-sanitize

# A finding stops the program at once with a non-zero status. The leak
# checker's suppressions (lsan.supp) name only code proven to be Qt's or the
# system's own.
# An allocation past 16 GB fails (returns null) as it does without the
# sanitizers on a machine without that much memory: Qt reserves a list of the
# length a corrupt "@Variant(...)" settings value claims, which glibc refuses
# or leaves untouched, while ASan would poison gigabytes of its shadow for it.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:allocator_may_return_null=1:max_allocation_size_mb=16384"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"

# libFuzzer's limits in a replay and a search: a unit that runs 20 s hangs;
# one malloc is allowed as much as ASan allows (see above: Qt may reserve
# what a corrupt settings value claims, and gets null past 16 GB), while the
# memory really used stays under 2.5 GB.
fuzz_limits=(-timeout=20 -rss_limit_mb=2560 -malloc_limit_mb=16384)

# Everything with clang, Debug, ASan and UBSan, the harnesses with libFuzzer;
# a warning is an error.
configure_checked() {
  cmake -S . -B "$checked_build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Debug \
    -DQUORVEL_SANITIZE=ON -DQUORVEL_FUZZ=ON -DQUORVEL_WERROR=ON >/dev/null
}

# The shipped files a harness reads, as they are today: seeds beside the
# committed corpus tests/fuzz/corpus/<name>.
shipped_seeds() {
  case $1 in
    data_file) ls data/*.dat data/*.mtr data/*.qvl ;;
    fixture_table) ls data/Table-1.dat data/Table-2.dat ;;
    conversion_table) ls data/Table-3.dat ;;
    meter_list) ls data/*.mtr ;;
    demand_data) ls data/Demand-WDC.dat ;;
    job_file) ls data/*.qvl ;;
  esac
}

# The harness's dictionary of tokens, if it has one.
fuzz_dict() {
  case $1 in
    data_file | fixture_table | conversion_table | meter_list | demand_data) echo tests/fuzz/dict/data.dict ;;
    *) [ -f "tests/fuzz/dict/$1.dict" ] && echo "tests/fuzz/dict/$1.dict" ;;
  esac
  return 0
}
