#!/usr/bin/env bash
# The reliability checks that CI runs after the test suite:
#   1. the suite under AddressSanitizer + UndefinedBehaviorSanitizer,
#   2. the threaded tests under ThreadSanitizer,
#   3. every fuzz target for a short time from its checked-in corpus.
# Each step builds its own tree with clang (build-asan, build-tsan,
# build-fuzz). Any sanitizer report, failed test or fuzzing crash fails the
# script. Run scripts/setup.sh (or scripts/test.sh) first: it installs clang
# and the sanitizer runtimes.
#
#   scripts/reliability.sh
#
# TARVELL_FUZZ_SECONDS sets the fuzzing time per target (default 20).
# TARVELL_ASAN_CTEST_ARGS are the ctest arguments of the ASan step; by default
# it runs the whole suite, fault-injection rows included, but for the viewer's
# browser tests (JavaScript only, nothing of ours to instrument).
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${TARVELL_FUZZ_SECONDS:-20}"
read -r -a asan_args <<<"${TARVELL_ASAN_CTEST_ARGS:--E ^viewer\$}"

step() {
  local name="$1"
  shift
  local start=$SECONDS
  echo "== $name"
  "$@"
  echo "== $name: done in $((SECONDS - start)) s"
}

step "ASan+UBSan" bash "$repo/scripts/sanitize.sh" address "${asan_args[@]}"
step "TSan, threaded tests" env \
  TARVELL_SANITIZE_TARGETS="$(bash "$repo/scripts/sanitize.sh" --threaded-targets)" \
  bash "$repo/scripts/sanitize.sh" thread -R "$(bash "$repo/scripts/sanitize.sh" --threaded-regex)"
step "Fuzzing, ${seconds} s per target" bash "$repo/scripts/fuzz.sh" -t "$seconds" -j "$(nproc)"
