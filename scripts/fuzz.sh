#!/usr/bin/env bash
# Builds the libFuzzer targets with clang 14 (ASan + UBSan) and runs each for a
# bounded time from its committed seed corpus; a crash, a leak or a failed
# check fails the run. Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dir=${2:-build-fuzz}
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DORN_FUZZ=ON \
  -DORN_WERROR="${ORN_WERROR:-$werror}" -DORN_BUILD_UI=OFF -DORN_BUILD_PEERS=OFF \
  -DORN_BUILD_BENCH=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$dir" --target fuzz_targets
for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  work="$dir/corpus/$name"
  mkdir -p "$work"
  log="$dir/fuzz_$name.log"
  # New inputs go to the work folder; the committed seeds stay as they are.
  if ! "$dir/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$dir/crash_${name}_" "$work" "$seeds" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz_$name: failed (see $log)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz_$name: ${runs:-?} inputs in ${seconds} s, no finding"
done
