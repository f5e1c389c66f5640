#!/usr/bin/env bash
# Runs test programs under valgrind memcheck: any memory error or definite
# leak fails. Uses the normal build (build/, or $QMR_BUILD) and, without
# arguments, the integration tests: the exported interface, the status and
# option reads, the sessions against agents, and the reliability tests with
# a small thread count.
#   scripts/valgrind.sh                       # the integration tests
#   scripts/valgrind.sh test_session --gtest_filter='Snmpsim*'
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QMR_BUILD:-$root/build}
logs="$build/valgrind"
mkdir -p "$logs"

if ! command -v valgrind >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends valgrind >/dev/null ||
      { echo "cannot install valgrind"; exit 1; }
  else
    echo "valgrind is not installed"; exit 1
  fi
fi

# Memcheck is slow: the reliability tests run with few threads and reads,
# and the agents' start-up waits stay as they are.
export QMR_RELIABILITY_THREADS=${QMR_RELIABILITY_THREADS:-4}
export QMR_RELIABILITY_READS=${QMR_RELIABILITY_READS:-2}

run_one() {  # program, gtest arguments...
  local program=$1; shift
  local log="$logs/$program.log"
  valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
    --show-leak-kinds=definite --track-origins=yes --num-callers=30 --log-file="$log" \
    "$build/tests/$program" "$@" >"$logs/$program.out" 2>&1
  local rc=$?
  local summary
  summary=$(grep -E "ERROR SUMMARY|definitely lost" "$log" | sed 's/^==[0-9]*== //' | sort | uniq -c | tr '\n' ';')
  echo "$program: exit $rc; $summary"
  [ $rc -eq 0 ] || { tail -30 "$logs/$program.out"; grep -A20 "Invalid\|definitely lost in" "$log" | head -60; }
  return $rc
}

status=0
if [ $# -gt 0 ]; then
  run_one "$@" || status=1
else
  for program in test_api test_printer test_session; do
    run_one "$program" || status=1
  done
  # The 30% loss read waits 250 ms per try, which memcheck's slowness can
  # exceed; its proxy and the other reliability tests run.
  run_one test_reliability --gtest_filter='-LossTest.Thirty*' || status=1
fi
exit $status
