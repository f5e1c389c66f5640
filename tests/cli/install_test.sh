#!/usr/bin/env bash
# Installs the build tree BUILD into a scratch prefix, then builds and runs
# the consumer program of CONSUMER_DIR against it twice: compiled with the
# flags pkg-config gives, and as a CMake project using find_package(qmr).
# QMR_CONSUMER_FLAGS: extra compile and link flags for the consumer (the
# sanitizer runtime when the library was built with one).
set -euo pipefail
build=$1
consumer=$2
work=$(mktemp -d /tmp/qmr-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
extra=${QMR_CONSUMER_FLAGS:-}

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in include/qmr.h lib/pkgconfig/qmr.pc lib/cmake/qmr/qmrConfig.cmake bin/qmr share/man/man1/qmr.1; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
ls "$prefix"/lib/libqmr.so* >/dev/null

# 1. pkg-config
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
flags=$(pkg-config --cflags --libs qmr)
case "$flags" in *"$prefix"*) ;; *) echo "pkg-config flags do not name the prefix: $flags"; exit 1 ;; esac
cc -std=c99 -Wall -Werror $extra "$consumer/consumer.c" $flags -o "$work/by-pkg-config"
out=$(LD_LIBRARY_PATH="$prefix/lib" "$work/by-pkg-config")
echo "pkg-config: $out"
[ "$out" = "libqmr answers -8: no device opened; IPv4 available" ]
# The program must have used the installed library, not the build tree's.
LD_LIBRARY_PATH="$prefix/lib" ldd "$work/by-pkg-config" | grep -q "$prefix/lib/libqmr.so"

# 2. find_package(qmr) giving qmr::qmr
cmake -S "$consumer" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_FLAGS="$extra" -DCMAKE_EXE_LINKER_FLAGS="$extra" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
out=$("$work/cmake-build/consumer")
echo "find_package: $out"
[ "$out" = "libqmr answers -8: no device opened; IPv4 available" ]

# 3. the installed command runs on its own
"$prefix/bin/qmr" --help | grep -q "Usage: qmr COMMAND"
# The manual page formats without a warning (groff with every warning on).
warnings=$(groff -man -ww -z "$prefix/share/man/man1/qmr.1" 2>&1)
[ -z "$warnings" ] || { echo "qmr.1: $warnings"; exit 1; }
echo "installed tree OK"
