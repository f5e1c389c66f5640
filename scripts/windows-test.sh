#!/usr/bin/env bash
# Cross-builds qmr.dll with mingw-w64 into build-win and runs the Windows
# tests under wine:
#  0. net-snmp for mingw-w64 (scripts/build-netsnmp-mingw.sh, cached outside
#     the checkout; building it the first time needs root), linked into the
#     DLL for SNMPv3; without it the DLL is built without SNMPv3;
#  1. the DLL's exports (the 36 QMR functions and the two option classes)
#     and its load-time imports (the kernel and the C runtime, and with
#     net-snmp the system libraries it calls: ws2_32, advapi32, iphlpapi);
#  2. the unit tests of the log, the data model and codec, the addresses and
#     bindings, and the local tables, built for Windows;
#  3. a host program that loads qmr.dll with LoadLibraryA, binds the
#     functions with GetProcAddress and reads every record of simulated
#     printers served by snmpsimd on 127.77.60.1:161 (needs root for port
#     161, skipped otherwise); the same program built for Linux reads them
#     through libqmr.so and both outputs must be equal;
#  4. SNMPv3 through the DLL against net-snmp's snmpd on 127.77.60.3:161
#     with USM users, which serves the same simulated printer (it proxies
#     to snmpsimd): every auth/priv combination, a full status read over
#     SHA+AES on 4 threads with a handle each and over MD5 without privacy
#     equal to the Linux build's, a job cancel, a wrong pass phrase (-214),
#     an unknown user, silence (-203) and engine-ID discovery towards the
#     agent.
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
snmpd_pid=
cleanup() {
  if [ -n "$snmpd_pid" ]; then kill "$snmpd_pid" 2>/dev/null; wait "$snmpd_pid" 2>/dev/null; fi
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

# --- net-snmp for mingw-w64 ---------------------------------------------------
t0=$(date +%s)
netsnmp=
if out=$(scripts/build-netsnmp-mingw.sh 2>"$work/netsnmp.log"); then
  netsnmp=$(tail -1 <<<"$out")
  pass "$(head -1 <<<"$out") ($(elapsed "$t0"))"
elif [ "$(id -u)" -ne 0 ]; then
  skip "SNMPv3 in the DLL (net-snmp for mingw-w64 not built; building it needs root)"
else
  tail -20 "$work/netsnmp.log"
  fail "net-snmp for mingw-w64"
fi

# --- build ---------------------------------------------------------------
t0=$(date +%s)
if cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
     -DCMAKE_BUILD_TYPE="${QMR_WIN_BUILD_TYPE:-Release}" -DQMR_NETSNMP_MINGW="$netsnmp" \
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
# net-snmp calls Winsock, the IP helper and the registry itself; the
# library's own code binds them at run time.
allowed='kernel32|msvcrt'
[ -n "$netsnmp" ] && allowed="$allowed|ws2_32|advapi32|iphlpapi"
unexpected=$(sed -n 's/^\s*DLL Name: //p' "$work/objdump.txt" | grep -viE "^($allowed)\.dll$")
if [ -z "$unexpected" ]; then pass "load-time imports: $imports"; else fail "load-time imports: $imports"; fi
# The library's own objects import from the kernel and the C runtime only:
# nothing they import may come from another DLL.
x86_64-w64-mingw32-nm -u "$build"/libqmr_{log,snmp,net,session,printer,api}.a 2>/dev/null |
  sed -n 's/^ *U __imp_//p' | sort -u >"$work/own-imports.txt"
awk '/DLL Name:/ {dll = tolower($3)} /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ && dll !~ /^(kernel32|msvcrt)\.dll$/ {print $NF}' \
  "$work/objdump.txt" | sort -u >"$work/system-imports.txt"
borrowed=$(comm -12 "$work/own-imports.txt" "$work/system-imports.txt" | tr '\n' ' ')
if [ -s "$work/own-imports.txt" ] && [ -z "$borrowed" ]; then
  pass "the library's own code imports only from the kernel and the C runtime"
else
  fail "the library's own code imports at load time: ${borrowed:-(no objects read)}"
fi

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
   g++ -std=c++17 -O1 -Iinclude tests/win/records_dump.cpp -o "$work/records_dump" -ldl -pthread \
     >>"$work/linux.log" 2>&1; then
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
  finish
fi

# --- SNMPv3 through the DLL ---------------------------------------------------
if [ -z "$netsnmp" ]; then
  skip "SNMPv3 through the DLL (no net-snmp for mingw-w64)"
  finish
fi
v3_agent=127.77.60.3
mkdir -p "$work/snmpd"
# The users (name, then records_dump's LEVEL AUTH PRIV AUTHPASS PRIVPASS)
# and the agent's createUser lines: every auth/priv combination.
v3_users=(
  "sha-aes 2 2 2 sha-auth-pass aes-priv-pass" "sha-des 2 2 1 sha-auth-pass des-priv-pass"
  "md5-aes 2 1 2 md5-auth-pass aes-priv-pass" "md5-des 2 1 1 md5-auth-pass des-priv-pass"
  "sha-auth 1 2 0 sha-auth-pass -" "md5-auth 1 1 0 md5-auth-pass -"
)
{
  echo "agentaddress udp:$v3_agent:161"
  for u in "${v3_users[@]}"; do
    read -r name level auth priv apass ppass <<<"$u"
    hash=$([ "$auth" = 1 ] && echo MD5 || echo SHA)
    if [ "$level" = 2 ]; then
      echo "createUser $name $hash $apass $([ "$priv" = 1 ] && echo DES || echo AES) $ppass"
      echo "rouser $name priv"
    else
      echo "createUser $name $hash $apass"
      echo "rouser $name auth"
    fi
  done
  # One printer made of the simulated ones, by subtree.
  echo "proxy -v 2c -c status-system $agent .1.3.6.1.2.1.1"
  echo "proxy -v 2c -c status-system $agent .1.3.6.1.2.1.25"
  for t in 8 9; do echo "proxy -v 2c -c status-trays $agent .1.3.6.1.2.1.43.$t"; done
  for t in 11 18; do echo "proxy -v 2c -c status-supplies $agent .1.3.6.1.2.1.43.$t"; done
  for t in 2.1.43.5 2.1.43.7 4.1.58114; do echo "proxy -v 2c -c status-jobs $agent .1.3.6.1.$t"; done
} >"$work/snmpd.conf"
# Only the modules the proxy and USM need, so that the agent's own MIB
# modules do not answer for the proxied subtrees.
SNMP_PERSISTENT_DIR=$work/snmpd /usr/sbin/snmpd -f -Lo -C -c "$work/snmpd.conf" \
  -I proxy,usmConf,usmUser,usmStats,snmpEngine,snmpMPDStats,vacm_conf,vacm_vars,vacm_context \
  >"$work/snmpd.log" 2>&1 &
snmpd_pid=$!
ready=0
for _ in $(seq 1 40); do
  if snmpget -v3 -u md5-auth -l authNoPriv -a MD5 -A md5-auth-pass -t 0.3 -r 0 $v3_agent 1.3.6.1.2.1.1.2.0 \
       >/dev/null 2>&1; then ready=1; break; fi
  sleep 0.25
done
if [ $ready -ne 1 ]; then
  fail "snmpd did not answer on $v3_agent:161"
  finish
fi

# records_dump over SNMPv3 with the user of "$1" (a v3_users entry) and
# further arguments, under wine and on Linux: outputs in $work/v3-*.txt.
v3_read() {
  local tag=$1 user=$2
  shift 2
  read -r name level auth priv apass ppass <<<"$user"
  [ "$ppass" = - ] && ppass=
  (cd "$build" && timeout 300 wine qmr_records_dump.exe qmr.dll "$@" "$name" "$level" "$auth" "$priv" "$apass" \
     "$ppass" ${threads:+"$threads"}) 2>&1 | tr -d '\r' >"$work/v3-win-$tag.txt"
  "$work/records_dump" "$root/$linux_build/libqmr.so" "$@" "$name" "$level" "$auth" "$priv" "$apass" "$ppass" \
    ${threads:+"$threads"} >"$work/v3-linux-$tag.txt" 2>&1
}
# Passes when both builds printed the same and the first line says `want`.
v3_check() {
  local tag=$1 want=$2 what=$3
  if ! head -1 "$work/v3-win-$tag.txt" | grep -q -- "$want"; then
    head -5 "$work/v3-win-$tag.txt"
    fail "$what: $(head -1 "$work/v3-win-$tag.txt")"
  elif ! diff -u "$work/v3-linux-$tag.txt" "$work/v3-win-$tag.txt" >"$work/v3-$tag.diff"; then
    head -20 "$work/v3-$tag.diff"
    fail "$what: the Windows and the Linux build differ"
  else
    local records
    records=$(grep -c '^[a-z_0-9]*\[' "$work/v3-win-$tag.txt")
    pass "$what ($([ "$records" -gt 0 ] && echo "$records records, ")as on Linux)"
  fi
}

# The temporary folders Windows programs get, to see that SNMPv3 leaves
# nothing in them.
temp_listing() {
  find "$WINEPREFIX/drive_c/windows/temp" "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp 2>/dev/null | sort
}
temp_listing >"$work/temp-before.txt"

t0=$(date +%s)
threads=4 v3_read sha-aes "${v3_users[0]}" $v3_agent --v3
v3_check sha-aes "init_device rc=0$" "SNMPv3 authPriv SHA+AES, 4 threads with a handle each"
grep -q '^cancel rc=' "$work/v3-win-sha-aes.txt" &&
  pass "job cancel over SNMPv3: $(grep '^cancel rc=' "$work/v3-win-sha-aes.txt")" || fail "no job cancel over SNMPv3"
v3_read md5-auth "${v3_users[5]}" $v3_agent --v3
v3_check md5-auth "init_device rc=0$" "SNMPv3 authNoPriv MD5"
for i in 1 2 3 4; do
  read -r name _ <<<"${v3_users[$i]}"
  v3_read "$name" "${v3_users[$i]}" $v3_agent --v3
  v3_check "$name" "init_device rc=0$" "SNMPv3 $name"
done
v3_read wrong-pass "sha-aes 2 2 2 not-the-pass-phrase aes-priv-pass" $v3_agent --v3
v3_check wrong-pass "init_device rc=-214$" "SNMPv3 wrong pass phrase"
v3_read unknown-user "nobody-here 1 1 0 md5-auth-pass -" $v3_agent --v3
v3_check unknown-user "init_device rc=-" "SNMPv3 unknown user fails cleanly"
v3_read silence "${v3_users[0]}" 127.77.60.9 --v3
v3_check silence "init_device rc=-203$" "SNMPv3 towards silence"
v3_read find "${v3_users[0]}" $v3_agent --v3-find
v3_check find "find rc=0 found=1$" "SNMPv3 engine-ID discovery towards $v3_agent"
temp_listing >"$work/temp-after.txt"
if cmp -s "$work/temp-before.txt" "$work/temp-after.txt"; then
  pass "SNMPv3 left the temporary folders as they were"
else
  diff "$work/temp-before.txt" "$work/temp-after.txt" | head
  fail "SNMPv3 left files in the temporary folders"
fi

# Broadcast engine-ID discovery, only inside a lab of its own: a client
# namespace and a printer namespace joined by a veth pair, snmpd on
# 0.0.0.0:161 in the printer's, wine in the client's.
lab=qmrw$$
lab_down() {
  [ -n "${lab_snmpd_pid:-}" ] && { kill "$lab_snmpd_pid" 2>/dev/null; wait "$lab_snmpd_pid" 2>/dev/null; }
  ip netns del "${lab}c" 2>/dev/null
  ip netns del "${lab}p" 2>/dev/null
}
trap 'lab_down; cleanup' EXIT
if ip netns add "${lab}c" && ip netns add "${lab}p" &&
   ip link add "${lab}a" netns "${lab}c" type veth peer name "${lab}b" netns "${lab}p" &&
   ip -n "${lab}c" addr add 10.77.61.1/24 dev "${lab}a" && ip -n "${lab}p" addr add 10.77.61.2/24 dev "${lab}b" &&
   ip -n "${lab}c" link set "${lab}a" up && ip -n "${lab}p" link set "${lab}b" up &&
   ip -n "${lab}c" link set lo up && ip -n "${lab}p" link set lo up &&
   ip -n "${lab}c" route add default dev "${lab}a"; then  # the limited broadcast needs a route out
  mkdir -p "$work/lab-snmpd"
  printf '%s\n' "agentaddress udp:0.0.0.0:161" "sysobjectid 1.3.6.1.4.1.47305.1.40.297.93.1.36.18.5" \
    "createUser sha-aes SHA sha-auth-pass AES aes-priv-pass" "rouser sha-aes priv" >"$work/lab-snmpd.conf"
  SNMP_PERSISTENT_DIR=$work/lab-snmpd ip netns exec "${lab}p" /usr/sbin/snmpd -f -Lo -C -c "$work/lab-snmpd.conf" \
    >"$work/lab-snmpd.log" 2>&1 &
  lab_snmpd_pid=$!
  sleep 2
  # A wine server of its own, started inside the client namespace.
  cp -a "$WINEPREFIX" "$work/wineprefix-lab"
  export WINEPREFIX=$work/wineprefix-lab
  read -r name level auth priv apass ppass <<<"${v3_users[0]}"
  (cd "$build" && timeout 120 ip netns exec "${lab}c" wine qmr_records_dump.exe qmr.dll 255.255.255.255 --v3-find \
     "$name" "$level" "$auth" "$priv" "$apass" "$ppass") 2>&1 | tr -d '\r' >"$work/v3-lab.txt"
  timeout 30 ip netns exec "${lab}c" wineserver -k 2>/dev/null
  if grep -q 'find rc=0 found=1$' "$work/v3-lab.txt" && grep -q '^device 10.77.61.2 ' "$work/v3-lab.txt"; then
    pass "SNMPv3 engine-ID discovery by broadcast inside a namespace lab: $(grep '^device' "$work/v3-lab.txt")"
  else
    head -5 "$work/v3-lab.txt"
    fail "SNMPv3 engine-ID discovery by broadcast inside a namespace lab"
  fi
else
  skip "SNMPv3 broadcast discovery (no namespace lab: needs root and ip netns)"
fi
lab_down
echo "SNMPv3 checks took $(elapsed "$t0")"
finish
