#!/usr/bin/env bash
# Installs what is needed, checks that every C++ file is laid out by .clang-format, builds and
# runs every test, and each test program once more whole with its tests shuffled; then the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# the tests labelled "threaded" (events, worker threads, the serial link, the .hye download and
# FLASH runs over it) under ThreadSanitizer, and the fuzz targets for a bounded time. CI
# (CI=true) builds with warnings as errors; QUILLET_SHUFFLE_SEED=N replays a shuffled order.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/format.sh --check
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
# Passed every time, so that a build folder configured by CI turns back into a developer's.
QUILLET_WERROR=OFF
if [ "${CI:-}" = true ]; then
  QUILLET_WERROR=ON
fi
export QUILLET_WERROR

scripts/build.sh build -DQUILLET_WERROR="$QUILLET_WERROR"
ctest --test-dir build --output-on-failure -j "$jobs"

seed=${QUILLET_SHUFFLE_SEED:-$((RANDOM % 99999 + 1))}
echo "Shuffled runs with seed $seed (replay: QUILLET_SHUFFLE_SEED=$seed, or a program's --gtest_shuffle --gtest_random_seed=$seed)"
GTEST_RANDOM_SEED="$seed" ctest --test-dir build --output-on-failure -j "$jobs" -C Shuffled -L shuffled

scripts/build.sh build-asan -DQUILLET_SANITIZE=ON -DQUILLET_BENCH=OFF -DQUILLET_WERROR="$QUILLET_WERROR"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# Only the test programs that hold threaded tests are built under ThreadSanitizer.
cmake -S . -B build-tsan -G Ninja -DQUILLET_TSAN=ON -DQUILLET_BENCH=OFF -DQUILLET_WERROR="$QUILLET_WERROR"
cmake --build build-tsan --target quillet_threaded_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threaded

if [ -x scripts/fuzz.sh ]; then
  scripts/fuzz.sh
fi
