#!/usr/bin/env bash
# Cross-builds net-snmp's library for 64-bit Windows (mingw-w64), so that
# qmr.dll can speak SNMPv3: Debian's source package (net-snmp 5.9.3 with
# Debian's patches), snmplib only, static, with net-snmp's internal copies
# of MD5, SHA-1, DES and AES instead of OpenSSL. No agent, no tools, no MIB
# files. netsnmp-internal-aes.patch gives the internal crypto the AES
# (CFB128) encryption and decryption that 5.9.3 only has through OpenSSL.
#
# The result is installed under a cache folder outside the checkout, named
# by the version and a hash of the configure line and compiler:
#   ${QMR_CACHE_DIR:-/var/cache/qmr}/netsnmp-mingw-<version>-<hash>
# and the last line printed is that folder. An existing complete build is
# reused. The link .../netsnmp-mingw points at the build last made or
# reused; the Windows build (cmake/qmr_win32.cmake) finds it there, or
# takes -DQMR_NETSNMP_MINGW=<folder>.
# Needs root the first time (a deb-src entry and apt-get update), and the
# mingw-w64 compiler (scripts/setup-windows.sh).
set -euo pipefail

version=5.9.3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
patches=("$here/netsnmp-internal-aes.patch")
host=x86_64-w64-mingw32
cache_root=${QMR_CACHE_DIR:-/var/cache/qmr}
jobs=${QMR_JOBS:-2}

configure_args=(
  --host=$host --build="$(gcc -dumpmachine)"
  --with-openssl=internal --disable-shared --enable-static
  --disable-agent --disable-applications --disable-manuals --disable-scripts
  --disable-mibs --disable-mib-loading --without-perl-modules --disable-embedded-perl
  --without-python-modules --without-rpm --without-pcre --without-nl --without-zlib
  --disable-snmptrapd-subagent --with-defaults --with-mib-modules= --with-out-mib-modules=
  --with-security-modules=usm --with-transports="UDP UDPIPv6" --with-out-transports="TCP TCPIPv6 Unix Alias"
  --enable-ipv6 --disable-debugging
)
export CC=$host-gcc-posix CFLAGS="-O2 -g0"
command -v "$CC" >/dev/null || { echo "missing $CC: run scripts/setup-windows.sh" >&2; exit 1; }
compiler=$($CC --version | head -1)
key=$( (printf '%s\n' "$version" "${configure_args[@]}" "$CC $CFLAGS" "$compiler"; cat "${patches[@]}") |
  sha256sum | cut -c1-12)
prefix=$cache_root/netsnmp-mingw-$version-$key
link=$cache_root/netsnmp-mingw

if [ -f "$prefix/.complete" ]; then
  ln -sfn "$prefix" "$link"
  echo "net-snmp $version for $host: cached"
  echo "$prefix"
  exit 0
fi

start=$SECONDS
mkdir -p "$cache_root"
work=$(mktemp -d "$cache_root/netsnmp-build-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Debian's source package: needs a deb-src entry for the archive the
# machine already uses (same URIs, suites and key).
src_list=/etc/apt/sources.list.d/qmr-deb-src.sources
if ! apt-cache showsrc net-snmp 2>/dev/null | grep -q "^Version: $version"; then
  [ -f /etc/apt/sources.list.d/debian.sources ] ||
    { echo "no /etc/apt/sources.list.d/debian.sources to take the archive from" >&2; exit 1; }
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src_list"
  apt-get update -qq
fi
(cd "$work" && apt-get source -qq net-snmp >source.log 2>&1) || { cat "$work/source.log" >&2; exit 1; }
tree=$(find "$work" -maxdepth 1 -type d -name "net-snmp-$version*" | head -1)
[ -n "$tree" ] || { echo "apt-get source gave no net-snmp-$version tree" >&2; exit 1; }

cd "$tree"
for p in "${patches[@]}"; do patch -p1 -s <"$p" || { echo "cannot apply $p" >&2; exit 1; }; done
./configure "${configure_args[@]}" --prefix="$prefix" >"$work/configure.log" 2>&1 ||
  { tail -30 "$work/configure.log" >&2; exit 1; }
# The library and its headers only.
{ make -C snmplib -j"$jobs" && make -C snmplib install && make installheaders; } >"$work/build.log" 2>&1 ||
  { grep -E 'error|Error' "$work/build.log" | head -30 >&2; exit 1; }
touch "$prefix/.complete"
ln -sfn "$prefix" "$link"
echo "net-snmp $version for $host: built in $((SECONDS - start)) s"
echo "$prefix"
