#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests, the demo and the
# benchmarks need. Safe to run again; installs nothing that is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  clang libclang-rt-14-dev          # libFuzzer and the sanitizer runtimes
  libgtest-dev libgmock-dev libbenchmark-dev
  libsnmp-dev snmp snmpd snmpsim    # net-snmp library and tools, agents
  iproute2 procps python3
  libcpp-httplib-dev                # the HTTP server of qmr exporter
  prometheus                        # a real server scrapes the exporter in the tests
  groff-base                        # the manual page is checked with groff
)

# Optional, large (over 1 GB with wine): the Windows cross build, wine to
# run its tests and GoogleTest's sources to build for it, and what
# scripts/build-netsnmp-mingw.sh needs to unpack and build net-snmp's
# source package. QMR_WINDOWS=1.
if [ "${QMR_WINDOWS:-0}" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 googletest dpkg-dev patch make xz-utils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The snmpd package starts a system agent on 127.0.0.1:161; the tests bring
# their own agents on other loopback addresses, so the system one may stay.
