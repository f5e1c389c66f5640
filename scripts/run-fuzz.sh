#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs one of them
# for a bounded time on the seed corpus (a scratch copy, so that the tree's
# corpus is not grown by the run).
#   scripts/run-fuzz.sh fuzz_decode 60
#   scripts/run-fuzz.sh fuzz_peek 60
set -euo pipefail

target=${1:?usage: run-fuzz.sh TARGET SECONDS}
seconds=${2:?usage: run-fuzz.sh TARGET SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQMR_BUILD_FUZZ=ON -DQMR_BUILD_TESTS=OFF -DQMR_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" "$target" >/dev/null

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$root"/tests/fuzz/corpus/decode/* "$corpus"/
# -max_total_time bounds the run; timeout guards against a hang in start-up.
timeout --kill-after=10 $((seconds + 60)) \
  "$build/fuzz/$target" -max_total_time="$seconds" -max_len=2048 -timeout=10 \
  -detect_leaks=1 -print_final_stats=1 "$corpus"
