#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs them side by side, each on its seed
# corpus for a bounded time (QUILLET_FUZZ_SECONDS per target, default 30; at most
# QUILLET_FUZZ_JOBS at once, default one per processor). Exits non-zero on any crash, leak,
# overrun, time-out or memory blow-up, and keeps the input that caused it in
# build-fuzz/artifacts and each target's output in build-fuzz/logs; clean runs that reach their
# time limit exit 0. QUILLET_WERROR=ON builds with warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${QUILLET_FUZZ_SECONDS:-30}"
# libFuzzer takes 0 as "no limit", which would never end a CI job.
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "QUILLET_FUZZ_SECONDS must be a positive number of seconds, not '$seconds'" >&2
  exit 2
fi

CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_FUZZ=ON -DQUILLET_BENCH=OFF -DQUILLET_WERROR="${QUILLET_WERROR:-OFF}" >/dev/null
ninja -C build-fuzz fuzz_intelhex fuzz_settings fuzz_coffheaders fuzz_stabs fuzz_hidreport fuzz_coffimage \
  fuzz_asmlisting fuzz_linkframes fuzz_boardrequests

# New inputs go to a scratch corpus, so the seeds in the tree stay as they are; the input of a
# failure is kept where the developer can replay it (build-fuzz/fuzz_NAME FILE).
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
artifacts="build-fuzz/artifacts"
logs="build-fuzz/logs"
rm -rf "$artifacts" "$logs"
mkdir -p "$artifacts" "$logs"
max_jobs="${QUILLET_FUZZ_JOBS:-$(nproc)}"
targets=()

# run_target NAME SEEDS MAX_LEN [libFuzzer options...]: starts NAME in the background, its
# output in $logs/NAME.log and its exit status in $work/NAME.status. The outer time-out catches a
# fuzzer that stops checking its own clock.
run_target() {
  local name="$1" seeds="$2" max_len="$3"
  shift 3
  while [ "$(jobs -rp | wc -l)" -ge "$max_jobs" ]; do
    wait -n || true
  done
  mkdir -p "$work/$name"
  targets+=("$name")
  (
    status=0
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      timeout --kill-after=30 $((seconds + 300)) \
      "build-fuzz/$name" "$work/$name" "$seeds" "$@" \
        -max_total_time="$seconds" -max_len="$max_len" \
        -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$artifacts/$name-" -print_final_stats=1 \
        >"$logs/$name.log" 2>&1 ||
      status=$?
    echo "$status" >"$work/$name.status"
  ) &
}

failed=0
run_target fuzz_intelhex tests/fuzz/corpus 4096 -dict=tests/fuzz/intelhex.dict
run_target fuzz_settings tests/fuzz/settings_corpus 4096 -dict=tests/fuzz/settings.dict
# The .hye seeds come from the test generator (rewrite them with build-fuzz/coff_fuzz_seeds
# tests/fuzz/hye). The STABS loader reports malformed entries on stderr, so that target runs
# with its stderr closed; libFuzzer and the sanitizers still report through their own copy.
run_target fuzz_coffheaders tests/fuzz/hye 4096
run_target fuzz_stabs tests/fuzz/hye 16384 -close_fd_mask=2
run_target fuzz_hidreport tests/data/hid 4096
run_target fuzz_coffimage tests/fuzz/hye 4096
# The listing and board-stream seeds come from the test generators (rewrite them with
# build-fuzz/target_fuzz_seeds tests/fuzz/listing tests/fuzz/board).
run_target fuzz_asmlisting tests/fuzz/listing 4096
run_target fuzz_linkframes tests/fuzz/board 4096
run_target fuzz_boardrequests tests/fuzz/board 4096

wait
for name in "${targets[@]}"; do
  status="$(cat "$work/$name.status" 2>/dev/null || echo lost)"
  if [ "$status" = 0 ]; then
    echo "$name: no crash, leak or overrun in ${seconds} s ($(grep -m1 -o 'number_of_executed_units: [0-9]*' "$logs/$name.log" || echo 'no stats'))"
  else
    echo "$name FAILED (exit $status); its output ends:" >&2
    tail -n 60 "$logs/$name.log" >&2
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "Inputs kept in $artifacts, whole outputs in $logs:" >&2
  ls -l "$artifacts" >&2
fi
exit "$failed"
