#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs each on its seed corpus for a
# bounded time (QUILLET_FUZZ_SECONDS, default 60). Exits non-zero on any crash, leak, overrun,
# time-out or memory blow-up, and keeps the input that caused it in build-fuzz/artifacts; a
# clean run that reaches its time limit exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${QUILLET_FUZZ_SECONDS:-60}"
# libFuzzer takes 0 as "no limit", which would never end a CI job.
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "QUILLET_FUZZ_SECONDS must be a positive number of seconds, not '$seconds'" >&2
  exit 2
fi

CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_FUZZ=ON -DQUILLET_BENCH=OFF >/dev/null
ninja -C build-fuzz fuzz_intelhex

# New inputs go to a scratch corpus, so the seeds in the tree stay as they are; the input of a
# failure is kept where the developer can replay it (build-fuzz/fuzz_intelhex FILE).
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
artifacts="build-fuzz/artifacts"
rm -rf "$artifacts"
mkdir -p "$work/corpus" "$artifacts"
status=0
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  build-fuzz/fuzz_intelhex "$work/corpus" tests/fuzz/corpus \
    -dict=tests/fuzz/intelhex.dict -max_total_time="$seconds" -max_len=4096 \
    -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$artifacts/" -print_final_stats=1 ||
  status=$?
if [ "$status" -ne 0 ]; then
  echo "fuzz_intelhex FAILED (exit $status); input kept in $artifacts:" >&2
  ls -l "$artifacts" >&2
  exit 1
fi
echo "fuzz_intelhex: no crash, leak or overrun in ${seconds} s"

# The .hye header reader and the STABS loader with its queries, 30 s each unless
# QUILLET_FUZZ_SECONDS says otherwise, on the seeds that the test generator wrote into
# tests/fuzz/hye (rewrite them with build-fuzz/coff_fuzz_seeds tests/fuzz/hye). The loader
# reports malformed entries on stderr, so the STABS target runs with its stderr closed;
# libFuzzer and the sanitizers still report through their own copy.
coff_seconds="${QUILLET_FUZZ_SECONDS:-30}"
ninja -C build-fuzz fuzz_coffheaders fuzz_stabs
for target in fuzz_coffheaders:4096:0 fuzz_stabs:16384:2; do
  IFS=: read -r name max_len fd_mask <<<"$target"
  mkdir -p "$work/$name"
  status=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build-fuzz/$name" "$work/$name" tests/fuzz/hye \
      -max_total_time="$coff_seconds" -max_len="$max_len" -close_fd_mask="$fd_mask" \
      -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$artifacts/" -print_final_stats=1 ||
    status=$?
  if [ "$status" -ne 0 ]; then
    echo "$name FAILED (exit $status); input kept in $artifacts:" >&2
    ls -l "$artifacts" >&2
    exit 1
  fi
  echo "$name: no crash, leak or overrun in ${coff_seconds} s"
done
