#!/usr/bin/env bash
# Installs what is needed, builds and runs every test; then the same suite once more under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threaded tests (events, worker threads,
# the serial link, the .hye download and FLASH runs over it) under ThreadSanitizer, and the
# fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}

scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs"

scripts/build.sh build-asan -DQUILLET_SANITIZE=ON -DQUILLET_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# Only the two test programs that hold the threaded tests are built under ThreadSanitizer.
cmake -S . -B build-tsan -G Ninja -DQUILLET_TSAN=ON -DQUILLET_BENCH=OFF
cmake --build build-tsan --target quillet_platform_tests quillet_targets_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R '^(Events|WorkerThread|SerialStop|HyLinkTest|HyMessage|HyeDownloadTest|HyFlashProgramTest)\.'

if [ -x scripts/fuzz.sh ]; then
  scripts/fuzz.sh
fi
