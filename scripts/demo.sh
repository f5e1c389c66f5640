#!/usr/bin/env bash
# Builds the library and runs the C example host against it. The printer
# status command-line tool will take its place once it exists.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target qmr qmr_c_edge_cases_c11
echo "--- C host of libqmr.so ($build/libqmr.so)"
"$build/tests/c/qmr_c_edge_cases_c11"
echo "--- exported symbols"
"$root/tests/c/check_exports.sh" "$build/libqmr.so"
