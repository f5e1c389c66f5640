#!/usr/bin/env bash
# Checks that the qmr program is a plain host of libqmr.so: every QMR symbol
# it needs is undefined in it and exported by the library, and none of the
# library's internals (the static layers) is linked into it.
set -euo pipefail
tool=${1:?usage: check_tool_imports.sh path/to/qmr path/to/libqmr.so}
lib=${2:?usage: check_tool_imports.sh path/to/qmr path/to/libqmr.so}
status=0

readelf -d "$tool" | grep -q 'NEEDED.*\[libqmr\.so' || { echo "qmr does not load libqmr.so"; status=1; }

exported=$(nm -D --defined-only "$lib" | awk '$2 == "T" {print $3}' | grep '^QMR' | sort)
[ "$(wc -l <<<"$exported")" -eq 36 ] || { echo "libqmr.so does not export 36 QMR functions"; status=1; }
imported=$(nm -D --undefined-only "$tool" | awk '{print $2}' | grep '^QMR' | sort || true)
[ -n "$imported" ] || { echo "qmr imports no QMR function"; status=1; }
for f in $imported; do
  grep -qx "$f" <<<"$exported" || { echo "qmr imports $f, which libqmr.so does not export"; status=1; }
done

# Library code compiled into the program would show as defined symbols of
# the library's naming: the QMR functions themselves, tqc_/tqs_ functions,
# or members of its CTqc/CTqs/CQMR classes and ITqc/ITqs/IQMR interfaces
# (mangled names; the record types of qmr.h may appear in the tool's own).
internal=$(nm --defined-only "$tool" | awk '{print $3}' |
           grep -E '^QMR|tqc_|tqs_|[CI]Tq[cs][A-Z]|[CI]QMR[A-Z]' || true)
if [ -n "$internal" ]; then
  echo "library internals linked into qmr:"
  echo "$internal" | head -20
  status=1
fi

[ "$status" -eq 0 ] && echo "qmr uses $(wc -l <<<"$imported") of the 36 exports of libqmr.so and nothing else of it"
exit "$status"
