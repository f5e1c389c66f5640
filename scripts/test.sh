#!/usr/bin/env bash
# Installs what the build needs, builds everything into build/ and runs every
# test under CTest. Exits non-zero when the build or any test fails.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
per_test_timeout=${QMR_TEST_TIMEOUT:-300}

if [ "$(id -u)" -eq 0 ]; then
  "$root/scripts/setup.sh" || { echo "set-up failed"; exit 1; }
else
  echo "not root: skipping package set-up (run scripts/setup.sh as root once)"
fi

cmake -S "$root" -B "$build" -G Ninja || { echo "configure failed"; exit 1; }
cmake --build "$build" || { echo "build failed"; exit 1; }

log="$build/ctest-summary.log"
ctest --test-dir "$build" --output-on-failure --timeout "$per_test_timeout" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}

# Fuzzing, the sanitizer builds and the threading tests under TSan.
# QMR_CI_SECONDS is the time the whole run may take; they get what is left.
if [ "${QMR_FULL_CI:-0}" = 1 ]; then
  QMR_RELIABILITY_BUDGET=$(( ${QMR_CI_SECONDS:-3600} - SECONDS - 60 )) "$root/scripts/reliability.sh" ||
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
