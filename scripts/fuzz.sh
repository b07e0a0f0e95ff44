#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs each on its seed corpus for a
# bounded time (QUILLET_FUZZ_SECONDS, default 60). Fails on any crash, leak or overrun.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${QUILLET_FUZZ_SECONDS:-60}"

CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_FUZZ=ON -DQUILLET_BENCH=OFF >/dev/null
ninja -C build-fuzz fuzz_intelhex

# New inputs go to a scratch corpus, so the seeds in the tree stay as they are.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  build-fuzz/fuzz_intelhex "$work/corpus" tests/fuzz/corpus \
    -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1
echo "fuzz_intelhex: no crash, leak or overrun in ${seconds} s"
