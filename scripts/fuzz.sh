#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs each on its seed corpus for a
# bounded time (QUILLET_FUZZ_SECONDS per target, default 30). Exits non-zero on any crash, leak,
# overrun, time-out or memory blow-up, and keeps the input that caused it in
# build-fuzz/artifacts; clean runs that reach their time limit exit 0.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${QUILLET_FUZZ_SECONDS:-30}"
# libFuzzer takes 0 as "no limit", which would never end a CI job.
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "QUILLET_FUZZ_SECONDS must be a positive number of seconds, not '$seconds'" >&2
  exit 2
fi

CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_FUZZ=ON -DQUILLET_BENCH=OFF >/dev/null
ninja -C build-fuzz fuzz_intelhex fuzz_settings fuzz_coffheaders fuzz_stabs fuzz_hidreport

# New inputs go to a scratch corpus, so the seeds in the tree stay as they are; the input of a
# failure is kept where the developer can replay it (build-fuzz/fuzz_NAME FILE).
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
artifacts="build-fuzz/artifacts"
rm -rf "$artifacts"
mkdir -p "$artifacts"

# run_target NAME SEEDS MAX_LEN [libFuzzer options...]
run_target() {
  local name="$1" seeds="$2" max_len="$3" status=0
  shift 3
  mkdir -p "$work/$name"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build-fuzz/$name" "$work/$name" "$seeds" "$@" \
      -max_total_time="$seconds" -max_len="$max_len" \
      -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$artifacts/$name-" -print_final_stats=1 ||
    status=$?
  if [ "$status" -ne 0 ]; then
    echo "$name FAILED (exit $status); input kept in $artifacts:" >&2
    ls -l "$artifacts" >&2
    return 1
  fi
  echo "$name: no crash, leak or overrun in ${seconds} s"
}

failed=0
run_target fuzz_intelhex tests/fuzz/corpus 4096 -dict=tests/fuzz/intelhex.dict || failed=1
run_target fuzz_settings tests/fuzz/settings_corpus 4096 -dict=tests/fuzz/settings.dict || failed=1
# The .hye seeds come from the test generator (rewrite them with build-fuzz/coff_fuzz_seeds
# tests/fuzz/hye). The STABS loader reports malformed entries on stderr, so that target runs
# with its stderr closed; libFuzzer and the sanitizers still report through their own copy.
run_target fuzz_coffheaders tests/fuzz/hye 4096 || failed=1
run_target fuzz_stabs tests/fuzz/hye 16384 -close_fd_mask=2 || failed=1
run_target fuzz_hidreport tests/data/hid 4096 || failed=1
exit "$failed"
