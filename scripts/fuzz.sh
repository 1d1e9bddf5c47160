#!/usr/bin/env bash
# Builds the libFuzzer targets (file reader, text to number, CSV reader) with clang
# (AddressSanitizer and UndefinedBehaviorSanitizer) in build-fuzz and runs each for N seconds
# without a corpus.
#   scripts/fuzz.sh [seconds]        (default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$root/build-fuzz
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DQEL_BUILD_FUZZ=ON -DQEL_WERROR=ON \
  -DQEL_BUILD_APP=OFF -DQEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target qel_ini_fuzz qel_textnum_fuzz qel_csv_fuzz -j "${JOBS:-2}"
status=0
for target in qel_ini_fuzz qel_textnum_fuzz qel_csv_fuzz; do
  echo "== $target for ${seconds}s"
  log=$build/$target.log
  if "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 >"$log" 2>&1; then
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$log" || true
  else
    status=1
    tail -n 40 "$log"
  fi
done
exit $status
