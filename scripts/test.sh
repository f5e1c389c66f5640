#!/usr/bin/env bash
# Installs what the build needs, builds everything into build/ and runs every
# test under CTest. Exits non-zero when the build or any test fails.
#
# Settings (all optional; .ci/run sets them for the full CI run):
#   QMR_TEST_SANITIZE  sanitizers for the whole suite, e.g. address,undefined
#                      (built into build-asan instead of build/)
#   QMR_WINDOWS=1      then the Windows DLL under wine (scripts/windows-test.sh);
#                      its packages install and net-snmp for it builds in
#                      the background meanwhile
#   QMR_FULL_CI=1      then fuzzing and the TSan threading tests
#                      (scripts/reliability.sh)
#   QMR_CI_SECONDS     the time the whole run may take; the steps after the
#                      suite share what is left
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
per_test_timeout=${QMR_TEST_TIMEOUT:-300}
sanitize=${QMR_TEST_SANITIZE:-}
windows=${QMR_WINDOWS:-0}
budget=${QMR_CI_SECONDS:-3600}
# Kept back from the Windows step for fuzzing and the TSan threading tests.
reliability_reserve=${QMR_RELIABILITY_SECONDS:-300}

windows_setup_pid=
windows_setup_log=$(mktemp /tmp/qmr-setup-windows-XXXXXX.log)
cleanup() {
  if [ -n "$windows_setup_pid" ]; then kill "$windows_setup_pid" 2>/dev/null; wait "$windows_setup_pid" 2>/dev/null; fi
  rm -f "$windows_setup_log"
}
trap cleanup EXIT

if [ "$(id -u)" -eq 0 ]; then
  "$root/scripts/setup.sh" || { echo "set-up failed"; exit 1; }
  if [ "$windows" = 1 ]; then
    # Over a gigabyte to fetch, then net-snmp to cross-build for the DLL
    # (kept in a cache outside the checkout): done while the suite builds
    # and runs.
    { QMR_WINDOWS=1 "$root/scripts/setup.sh" && nice "$root/scripts/build-netsnmp-mingw.sh"; } \
      >"$windows_setup_log" 2>&1 &
    windows_setup_pid=$!
  fi
else
  echo "not root: skipping package set-up (run scripts/setup.sh as root once)"
fi

if [ -n "$sanitize" ]; then
  build="$root/build-asan"
  config=(-DQMR_SANITIZE="$sanitize" -DQMR_BUILD_BENCH=OFF)
  # Sanitizer reports fail the test that triggers them.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  echo "== test suite under $sanitize"
else
  build="$root/build"
  config=()
fi

cmake -S "$root" -B "$build" -G Ninja "${config[@]}" || { echo "configure failed"; exit 1; }
cmake --build "$build" || { echo "build failed"; exit 1; }

log="$build/ctest-summary.log"
ctest --test-dir "$build" --output-on-failure --timeout "$per_test_timeout" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}

# What is left of the budget, less a minute for the summary and clean-up.
left() { echo $((budget - SECONDS - 60)); }

# The Windows DLL first: it is short, and what it leaves goes to the
# reliability checks, which fit themselves into the time they are given.
if [ "$windows" = 1 ]; then
  if [ -n "$windows_setup_pid" ]; then
    echo "== Windows packages: waiting for the installation"
    wait "$windows_setup_pid"
    rc=$?
    windows_setup_pid=
    [ $rc -eq 0 ] || { cat "$windows_setup_log"; echo "Windows set-up failed"; status=1; }
  fi
  reserve=0
  [ "${QMR_FULL_CI:-0}" = 1 ] && reserve=$reliability_reserve
  allowed=$(( $(left) - reserve ))
  if [ "$allowed" -lt 60 ]; then
    echo "== Windows DLL under wine: NOT RUN, ${allowed} s left of the budget"
  else
    echo "== Windows DLL under wine (at most ${allowed} s)"
    start=$SECONDS
    timeout --kill-after=15 "$allowed" "$root/scripts/windows-test.sh"
    rc=$?
    if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
      echo "== Windows DLL under wine: STOPPED at the end of the budget"
    elif [ $rc -ne 0 ]; then
      echo "== Windows DLL under wine: FAILED ($rc)"
      status=1
    else
      echo "== Windows DLL under wine: ok in $((SECONDS - start)) s"
    fi
  fi
fi

# Fuzzing and the threading tests under TSan (the sanitizer suite itself
# was the run above when QMR_TEST_SANITIZE is set).
if [ "${QMR_FULL_CI:-0}" = 1 ]; then
  QMR_RELIABILITY_BUDGET=$(left) "$root/scripts/reliability.sh" ||
    { echo "reliability checks failed"; status=1; }
fi

# ctest prints "NN% tests passed, F tests failed out of T".
summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
if [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
  failed=${BASH_REMATCH[1]}
  total=${BASH_REMATCH[2]}
  echo "$((total - failed)) passed, $failed failed"
else
  echo "0 passed, 0 failed (no test summary)"
  [ $status -eq 0 ] && status=1
fi
exit $status
