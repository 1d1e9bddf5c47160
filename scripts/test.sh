#!/usr/bin/env bash
# Builds everything twice (optimised, and Debug with AddressSanitizer and UndefinedBehaviorSanitizer)
# with warnings as errors, and runs every test in both builds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc)}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

build() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja -DQEL_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

# Formatting first: it is the quickest check.
(cd "$root" && git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror)

# The README's first command leaves a complete program folder whose Corvala opens its window.
cmake -S "$root" -B "$root/build/release" -G Ninja -DQEL_WERROR=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
bash "$root/scripts/run-example.sh" "$root/build/release" >/dev/null
bash "$root/scripts/check-program-folder.sh" "$root/build/release"

build "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  build "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DQEL_SANITIZE=ON -DQEL_BUILD_BENCH=OFF
