#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz (or $QMR_FUZZ_BUILD)
# and runs one of them for a bounded time on its seed corpus (a scratch
# copy, so that the tree's corpus is not grown by the run).
#   scripts/run-fuzz.sh fuzz_decode 60
#   scripts/run-fuzz.sh fuzz_peek|fuzz_oid|fuzz_address|fuzz_api 60
# Extra arguments after SECONDS go to the fuzzer (e.g. -runs=N).
set -euo pipefail

target=${1:?usage: run-fuzz.sh TARGET SECONDS [fuzzer options]}
seconds=${2:?usage: run-fuzz.sh TARGET SECONDS [fuzzer options]}
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QMR_FUZZ_BUILD:-$root/build-fuzz}

case "$target" in
  fuzz_decode|fuzz_peek) seeds=decode ;;
  fuzz_oid) seeds=oid ;;
  fuzz_address) seeds=address ;;
  fuzz_api) seeds=api ;;
  *) echo "unknown fuzz target $target" >&2; exit 2 ;;
esac

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQMR_BUILD_FUZZ=ON -DQMR_BUILD_TESTS=OFF -DQMR_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" -j"${QMR_JOBS:-2}" "$target" >/dev/null

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$root"/tests/fuzz/corpus/"$seeds"/* "$corpus"/

# The interface target never means to send, but as root it runs in a network
# namespace of its own (loopback only, down) so that nothing could leave.
isolate=()
if [ "$target" = fuzz_api ] && [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
  isolate=(unshare --net)
fi

# -max_total_time bounds the run; timeout guards against a hang in start-up.
timeout --kill-after=10 $((seconds + 60)) \
  "${isolate[@]}" "$build/fuzz/$target" -max_total_time="$seconds" -max_len=2048 -timeout=10 \
  -detect_leaks=1 -print_final_stats=1 "$@" "$corpus"
