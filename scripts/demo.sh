#!/usr/bin/env bash
# The libqmr demo: installs what it needs, builds the qmr command, starts
# three simulated printers (two supported Vellumcraft models and one
# unsupported printer) in a private network-namespace lab, discovers them by
# broadcast from the lab's client namespace, reports their status, checks
# them as a monitoring system would, and removes the lab again.
#
# Network safety: every packet stays inside the lab. The bridge lives in a
# namespace of its own, each printer and the client in theirs; nothing of
# the lab is left in the host's namespace, so the broadcast cannot leave it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
qmr="$build/tools/qmr"
data="$root/tools/demo-data"

if [ "$(id -u)" -ne 0 ]; then
  echo "demo: needs root (it installs packages and creates network namespaces)" >&2
  exit 1
fi

# Headings in bold on a terminal, plain in a log.
if [ -t 1 ]; then
  say() { printf '\n\033[1m== %s\033[0m\n' "$*"; }
else
  say() { printf '\n== %s\n' "$*"; }
fi
# Every lab command is bounded in time.
run() { timeout 20 "$@"; }

say "Packages (scripts/setup.sh)"
"$root/scripts/setup.sh"
echo "ok"

say "Build (build/tools/qmr)"
log=$(mktemp /tmp/qmr-demo-build-XXXXXX.log)
if ! { cmake -S "$root" -B "$build" -G Ninja && cmake --build "$build" --target qmr_tool; } >"$log" 2>&1; then
  tail -n 40 "$log"
  echo "demo: build failed (full log: $log)" >&2
  exit 1
fi
rm -f "$log"
echo "ok"

# ---- the lab ---------------------------------------------------------------
id=$(( $$ % 100000 ))
lab="qmrdemo$id"
ns_lan="$lab-lan"
ns_client="$lab-client"
subnet=10.77.0
subnet6=fd77::
client_ip=$subnet.100
printers=(vellumcraft-7300 vellumcraft-7300p inkwell-400)
printer_ips=($subnet.11 $subnet.12 $subnet.13)
namespaces=()
pids=()
workdir=$(mktemp -d /tmp/qmr-demo-XXXXXX)
chmod 755 "$workdir"  # the agents read their files as nobody

teardown() {
  local status=$?
  set +e
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
  for ns in "${namespaces[@]}"; do
    timeout 10 ip netns del "$ns" 2>/dev/null
  done
  rm -rf "$workdir"
  if [ "$status" -eq 0 ]; then echo; echo "Lab $lab removed."; fi
  exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT TERM

add_ns() {
  run ip netns add "$1"
  namespaces+=("$1")
  run ip -n "$1" link set lo up
}

# A veth pair from namespace $1 (IPv4 address $2, interface name $3, IPv6
# interface identifier $4) to the bridge.
attach() {
  local ns=$1 ip=$2 name=$3 host6=$4
  run ip link add "$name" type veth peer name "${name}b"
  run ip link set "$name" netns "$ns"
  run ip link set "${name}b" netns "$ns_lan"
  run ip -n "$ns_lan" link set "${name}b" master br0 up
  run ip -n "$ns" addr add "$ip/24" dev "$name"
  run ip -n "$ns" addr add "$subnet6$host6/64" dev "$name" nodad
  run ip -n "$ns" link set "$name" up
}

say "Lab $lab: bridge, client namespace, three printer namespaces"
add_ns "$ns_lan"
run ip -n "$ns_lan" link add br0 type bridge
run ip -n "$ns_lan" link set br0 up
add_ns "$ns_client"
attach "$ns_client" "$client_ip" "qd${id}c" 100
# The broadcast goes out of the client's only interface.
run ip -n "$ns_client" route add 255.255.255.255/32 dev "qd${id}c"

for i in "${!printers[@]}"; do
  name=${printers[$i]}
  ns="$lab-p$((i + 1))"
  add_ns "$ns"
  attach "$ns" "${printer_ips[$i]}" "qd${id}p$((i + 1))" "$((i + 11))"
  dir="$workdir/$name"
  mkdir -p "$dir/cache"
  # snmpsimd serves a file under the community of its name.
  cp "$data/$name.snmprec" "$dir/public.snmprec"
  cp "$data/$name.snmprec" "$dir/private.snmprec"
  chmod -R a+rX "$dir"
  chown nobody "$dir/cache"
  ip netns exec "$ns" snmpsimd --data-dir="$dir" --cache-dir="$dir/cache" \
    --agent-udpv4-endpoint=0.0.0.0:161 --agent-udpv6-endpoint='[::]:161' --process-user=nobody --process-group=nogroup \
    >"$dir/agent.log" 2>&1 &
  pids+=($!)
  printf '  %-18s %-12s %s\n' "$name" "${printer_ips[$i]}" "$(head -n1 "$data/$name.snmprec" | cut -d'|' -f3)"
done

# Wait (bounded) until every printer answers.
for ip in "${printer_ips[@]}"; do
  ready=0
  for _ in $(seq 30); do
    if run ip netns exec "$ns_client" snmpget -v1 -c public -t 1 -r 0 "$ip" 1.3.6.1.2.1.1.2.0 >/dev/null 2>&1; then
      ready=1
      break
    fi
    sleep 0.5
  done
  if [ "$ready" -ne 1 ]; then
    echo "demo: the printer at $ip does not answer" >&2
    exit 1
  fi
done
echo "  all three printers answer"

in_client() { timeout 60 ip netns exec "$ns_client" "$@"; }

say "qmr discover   (broadcast from the client namespace)"
if ! in_client "$qmr" discover --timeout 2000 --retries 1; then
  echo "  discovery is pending; the status reports below open the printers directly"
fi

say "qmr discover --protocol ipv6   (multicast to ff02::1 from the client namespace)"
if ! in_client "$qmr" discover --protocol ipv6 --timeout 2000 --retries 1; then
  echo "  IPv6 discovery is pending"
fi

say "qmr status ${printer_ips[2]}   (not listed above: its model is not supported)"
if in_client "$qmr" status "${printer_ips[2]}"; then
  echo "demo: the unsupported printer was accepted" >&2
  exit 1
fi

say "qmr status ${printer_ips[0]}"
in_client "$qmr" status "${printer_ips[0]}"

say "qmr status ${subnet6}12   (the Vellumcraft 7300P over IPv6)"
in_client "$qmr" status "${subnet6}12"

say "qmr check -v 2c   (a monitoring check per printer: exit 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN)"
for ip in "${printer_ips[@]}"; do
  rc=0
  in_client "$qmr" check -v 2c -t 2 -r 1 "$ip" || rc=$?
  echo "  exit status $rc"
  [ "$rc" -le 3 ] || { echo "demo: qmr check failed to run" >&2; exit 1; }
done
