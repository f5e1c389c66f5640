#!/usr/bin/env bash
# Cross-builds qmr.dll with mingw-w64 into build-win and runs the Windows
# tests under wine:
#  1. the DLL's exports (the 36 QMR functions and the two option classes)
#     and its load-time imports (the kernel and the C runtime only);
#  2. the unit tests of the log, the data model and codec, the addresses and
#     bindings, and the local tables, built for Windows;
#  3. a host program that loads qmr.dll with LoadLibraryA, binds the
#     functions with GetProcAddress and reads every record of simulated
#     printers served by snmpsimd on 127.77.60.1:161 (needs root for port
#     161, skipped otherwise); the same program built for Linux reads them
#     through libqmr.so and both outputs must be equal.
# Needs scripts/setup-windows.sh. Settings: QMR_WIN_BUILD (build folder),
# QMR_LINUX_BUILD (Linux build of libqmr.so for the comparison, built here;
# empty skips the comparison), QMR_JOBS (parallel jobs, default 2).
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
build=${QMR_WIN_BUILD:-build-win}
linux_build=${QMR_LINUX_BUILD-build-win-linuxcheck}
jobs=${QMR_JOBS:-2}
agent=127.77.60.1
communities=(status-system status-trays status-supplies status-jobs)

passed=0
failed=0
skipped=0
pass() { passed=$((passed + 1)); echo "PASS $*"; }
fail() { failed=$((failed + 1)); echo "FAIL $*"; }
skip() { skipped=$((skipped + 1)); echo "SKIP $*"; }
elapsed() { echo $(($(date +%s) - $1))s; }

work=$(mktemp -d /tmp/qmr-win-test-XXXXXX)
agent_pid=
agent6_pid=
cleanup() {
  if [ -n "$agent_pid" ]; then kill "$agent_pid" 2>/dev/null; wait "$agent_pid" 2>/dev/null; fi
  if [ -n "$agent6_pid" ]; then kill "$agent6_pid" 2>/dev/null; wait "$agent6_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

finish() {
  echo "windows: $passed passed, $failed failed, $skipped skipped"
  [ "$failed" -eq 0 ] && echo "WINDOWS TESTS PASSED" || echo "WINDOWS TESTS FAILED"
  [ "$failed" -eq 0 ]
  exit
}

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-objdump wine; do
  command -v "$tool" >/dev/null || { fail "missing $tool: run scripts/setup-windows.sh"; finish; }
done

# --- build ---------------------------------------------------------------
t0=$(date +%s)
if cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
     -DCMAKE_BUILD_TYPE="${QMR_WIN_BUILD_TYPE:-Release}" \
     -DQMR_BUILD_TESTS=ON >"$work/configure.log" 2>&1 &&
   ninja -C "$build" -j"$jobs" qmr qmr_win_tests >"$work/build.log" 2>&1; then
  pass "cross build of qmr.dll and the test programs ($(elapsed "$t0"))"
else
  cat "$work/configure.log" "$work/build.log" | grep -E "error|Error|FAILED" | head -40
  fail "cross build"
  finish
fi
dll=$build/qmr.dll

# --- exports and imports ---------------------------------------------------
x86_64-w64-mingw32-objdump -p "$dll" >"$work/objdump.txt"
imports=$(sed -n 's/^\s*DLL Name: //p' "$work/objdump.txt" | sort -f | tr '\n' ' ')
unexpected=$(sed -n 's/^\s*DLL Name: //p' "$work/objdump.txt" | grep -viE '^(kernel32|msvcrt)\.dll$')
if [ -z "$unexpected" ]; then pass "load-time imports: $imports"; else fail "load-time imports: $imports"; fi

sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$work/objdump.txt" | awk 'NF {print $NF}' | grep -v Table |
  sort >"$work/exports.txt"
grep -oE 'QMR_EXPORT [a-z0-9_ ]+ \*?QMR[A-Za-z]+\(' include/qmr.h | grep -oE 'QMR[A-Za-z]+\($' | tr -d '(' |
  sort >"$work/declared.txt"
grep '^QMR' "$work/exports.txt" >"$work/exported.txt"
if [ "$(wc -l <"$work/declared.txt")" -eq 36 ] && cmp -s "$work/declared.txt" "$work/exported.txt"; then
  pass "36 undecorated QMR exports"
else
  diff "$work/declared.txt" "$work/exported.txt" | head
  fail "QMR exports ($(wc -l <"$work/exported.txt") exported, $(wc -l <"$work/declared.txt") declared)"
fi
if grep -q '^_ZTV17CQMRDevCommOption$' "$work/exports.txt" && grep -q '^_ZTV23CQMRQuinceDZRPVRTOption$' "$work/exports.txt" &&
   ! grep -vE '^(QMR|_ZN[K]?(17CQMRDevCommOption|23CQMRQuinceDZRPVRTOption)|_ZT[VIS](17CQMRDevCommOption|23CQMRQuinceDZRPVRTOption))' \
     "$work/exports.txt" | grep -q .; then
  pass "option classes exported, nothing else"
else
  fail "class exports"
fi
[ -f "$build/libqmr.dll.a" ] && pass "import library libqmr.dll.a" || fail "import library missing"

# --- wine -------------------------------------------------------------------
export WINEPREFIX=${QMR_WINEPREFIX:-$work/wineprefix} WINEDEBUG=-all WINEARCH=win64
t0=$(date +%s)
timeout 300 wineboot -i >"$work/wineboot.log" 2>&1
echo "wine prefix ready ($(elapsed "$t0"))"

# Checks that wine's system libraries cannot pass: its route table lacks
# the host's loopback routes, and its SNMP agent has no ifNumber instance.
wine_limits='-LocalRouteSource.SourceAddressThroughTheRouteFinder:LocalTables.BothSourcesAgreeOnThisHost'
for program in test_win_log test_win_snmp test_win_net test_win_session; do
  t0=$(date +%s)
  out=$work/$program.log
  (cd "$build/tests-win" && timeout 600 wine "$program.exe" --gtest_filter="$wine_limits" --gtest_brief=1) >"$out" 2>&1
  rc=$?
  summary=$(grep -E '^\[  PASSED  \]|^\[  FAILED  \] [0-9]+ test|tests? from .* ran' "$out" | tr '\n' ' ')
  if [ $rc -eq 0 ] && grep -q '^\[  PASSED  \]' "$out"; then
    pass "$program under wine: $summary($(elapsed "$t0"))"
  else
    grep -E 'Failure|FAILED|error' "$out" | head -20
    fail "$program under wine (exit $rc): $summary"
  fi
done

# --- records from simulated printers -----------------------------------------
if [ "$(id -u)" -ne 0 ]; then
  skip "records from snmpsimd (binding $agent:161 needs root)"
  finish
fi
data=$work/data
mkdir -p "$data"
cp tests/data/*.snmprec "$data/"
chmod -R a+rX "$work"
snmpsimd --data-dir="$data" --agent-udpv4-endpoint=$agent:161 --process-user=nobody --process-group=nogroup \
  >"$work/snmpsimd.log" 2>&1 &
agent_pid=$!
ready=0
for _ in $(seq 1 40); do
  if snmpget -v1 -c status-system -t 0.3 -r 0 $agent 1.3.6.1.2.1.1.2.0 >/dev/null 2>&1; then ready=1; break; fi
  sleep 0.25
done
if [ $ready -ne 1 ]; then
  fail "snmpsimd did not answer on $agent:161"
  finish
fi

# IPv6 on [::1]:161 from a second agent, when that port is free (a system
# snmpd may hold it).
snmpsimd --data-dir="$data" --agent-udpv6-endpoint='[::1]:161' --process-user=nobody --process-group=nogroup \
  >"$work/snmpsimd6.log" 2>&1 &
agent6_pid=$!
ready6=0
for _ in $(seq 1 40); do
  kill -0 "$agent6_pid" 2>/dev/null || break
  if snmpget -v1 -c status-trays -t 0.3 -r 0 'udp6:[::1]' 1.3.6.1.2.1.1.2.0 >/dev/null 2>&1; then ready6=1; break; fi
  sleep 0.25
done
[ $ready6 -eq 1 ] || skip "IPv6 records ([::1]:161 not available for snmpsimd)"

t0=$(date +%s)
(cd "$build" && timeout 300 wine qmr_records_dump.exe qmr.dll $agent "${communities[@]}") >"$work/windows.txt" 2>&1
rc=$?
records=$(grep -c '^[a-z_0-9]*\[' "$work/windows.txt")
if [ $rc -eq 0 ] && [ "$records" -gt 0 ]; then
  pass "wine host program read $records records through LoadLibraryA/GetProcAddress ($(elapsed "$t0"))"
else
  tail -20 "$work/windows.txt"
  fail "wine host program (exit $rc)"
  finish
fi

if [ $ready6 -eq 1 ]; then
  (cd "$build" && timeout 300 wine qmr_records_dump.exe qmr.dll ::1 status-trays) >"$work/windows6.txt" 2>&1
  rc=$?
  if [ $rc -eq 0 ] && grep -q '^input_tray\[0\]' "$work/windows6.txt"; then
    pass "wine host program read the trays over IPv6 [::1]"
  else
    tail -5 "$work/windows6.txt"
    fail "wine host program over IPv6 (exit $rc)"
  fi
fi

if [ -z "$linux_build" ]; then
  skip "comparison with the Linux build (QMR_LINUX_BUILD empty)"
  finish
fi
t0=$(date +%s)
if cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQMR_BUILD_TESTS=OFF -DQMR_BUILD_BENCH=OFF \
     >"$work/linux.log" 2>&1 &&
   ninja -C "$linux_build" -j"$jobs" qmr >>"$work/linux.log" 2>&1 &&
   g++ -std=c++17 -O1 -Iinclude tests/win/records_dump.cpp -o "$work/records_dump" -ldl >>"$work/linux.log" 2>&1; then
  "$work/records_dump" "$root/$linux_build/libqmr.so" $agent "${communities[@]}" >"$work/linux.txt" 2>&1
  tr -d '\r' <"$work/windows.txt" >"$work/windows-lf.txt"
  if [ $ready6 -eq 1 ]; then
    "$work/records_dump" "$root/$linux_build/libqmr.so" ::1 status-trays >>"$work/linux.txt" 2>&1
    tr -d '\r' <"$work/windows6.txt" >>"$work/windows-lf.txt"
  fi
  if diff -u "$work/linux.txt" "$work/windows-lf.txt" >"$work/records.diff"; then
    pass "Windows and Linux builds read the same $records records ($(elapsed "$t0"))"
  else
    head -40 "$work/records.diff"
    fail "records differ between the Windows and the Linux build"
  fi
else
  grep -E "error|FAILED" "$work/linux.log" | head -20
  fail "Linux build for the comparison"
fi
finish
