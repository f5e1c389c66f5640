#!/usr/bin/env bash
# Reliability checks beyond the normal suite:
#  1. every libFuzzer target for QMR_FUZZ_SECONDS on its seed corpus
#     (clang, ASan + UBSan, build-fuzz);
#  2. the threading tests under ThreadSanitizer (build-tsan);
#  3. the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer
#     (build-asan).
# The loss and hostile-answer tests belong to the normal suite
# (test_reliability). QMR_RELIABILITY_BUDGET (seconds) bounds the whole run:
# a step that would start with less than its minimum left is reported as
# not run, and a step still running at the end is stopped and reported.
# Exits non-zero when a step fails. Run by scripts/test.sh when
# QMR_FULL_CI=1, or by hand.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${QMR_JOBS:-2}
fuzz_seconds=${QMR_FUZZ_SECONDS:-30}
budget=${QMR_RELIABILITY_BUDGET:-3600}
per_test_timeout=${QMR_TEST_TIMEOUT:-300}
asan="$root/build-asan"
tsan="$root/build-tsan"
deadline=$((SECONDS + budget))
status=0

# step NAME MIN_SECONDS FUNCTION: runs FUNCTION bounded by what is left.
step() {
  local name=$1 minimum=$2; shift 2
  local left=$((deadline - SECONDS))
  if [ "$left" -lt "$minimum" ]; then
    echo "== $name: NOT RUN, ${left} s left of the budget"
    return 0
  fi
  local start=$SECONDS
  echo "== $name (at most ${left} s)"
  timeout --kill-after=15 "$left" bash -c "$(declare -f "$@"); $*"
  local rc=$?
  if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    echo "== $name: STOPPED at the end of the budget after $((SECONDS - start)) s"
  elif [ $rc -eq 0 ]; then
    echo "== $name: ok in $((SECONDS - start)) s"
  else
    echo "== $name: FAILED ($rc) in $((SECONDS - start)) s"
    status=1
  fi
}

# Sanitizer reports fail the test that triggers them.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
export root jobs fuzz_seconds per_test_timeout asan tsan

fuzz_all() {
  local rc=0 target
  mkdir -p "$root/build-fuzz"
  for target in fuzz_decode fuzz_peek fuzz_oid fuzz_address fuzz_api; do
    local log="$root/build-fuzz/run-$target.log"
    QMR_JOBS=$jobs "$root/scripts/run-fuzz.sh" "$target" "$fuzz_seconds" >"$log" 2>&1
    local one=$?
    echo "$target: $(grep -h 'stat::number_of_executed_units' "$log" | awk '{print $2}') executions," \
         "$([ $one -eq 0 ] && echo no crash || echo "FAILED ($one)")"
    [ $one -eq 0 ] || { tail -40 "$log"; rc=1; }
  done
  return $rc
}

tsan_tests() {
  cmake -S "$root" -B "$tsan" -G Ninja -DQMR_SANITIZE=thread -DQMR_BUILD_BENCH=OFF >/dev/null &&
    ninja -C "$tsan" -j"$jobs" test_log test_reliability >"$tsan/ninja-build.log" 2>&1 || { tail -40 "$tsan/ninja-build.log"; return 1; }
  # The log's own thread tests, and many handles reading on many threads.
  "$tsan/tests/test_log" --gtest_filter='*Thread*' &&
    QMR_RELIABILITY_THREADS=${QMR_RELIABILITY_THREADS:-16} QMR_RELIABILITY_READS=${QMR_RELIABILITY_READS:-2} \
      "$tsan/tests/test_reliability" --gtest_filter='ThreadTest.*'
}

asan_suite() {
  cmake -S "$root" -B "$asan" -G Ninja -DQMR_SANITIZE=address,undefined -DQMR_BUILD_BENCH=OFF >/dev/null &&
    ninja -C "$asan" -j"$jobs" >"$asan/ninja-build.log" 2>&1 || { tail -40 "$asan/ninja-build.log"; return 1; }
  ctest --test-dir "$asan" --output-on-failure --timeout "$per_test_timeout"
}

step "fuzzing, ${fuzz_seconds} s per target" $((5 * fuzz_seconds + 90)) fuzz_all
step "threading tests under TSan" 150 tsan_tests
# QMR_ASAN_SUITE=0 leaves the suite out: CI runs the whole suite under
# ASan+UBSan as its main run (scripts/test.sh, QMR_TEST_SANITIZE).
if [ "${QMR_ASAN_SUITE:-1}" = 1 ]; then
  step "test suite under ASan+UBSan" 420 asan_suite
else
  echo "== test suite under ASan+UBSan: left out (QMR_ASAN_SUITE=0)"
fi
exit $status
