#!/usr/bin/env bash
# Builds the project with clang under a sanitizer and runs the tests.
#
#   scripts/sanitize.sh address [ctest args...]   ASan+UBSan into build-asan, whole suite
#   scripts/sanitize.sh thread  [ctest args...]   TSan into build-tsan, whole suite
#
# Extra arguments go to ctest (e.g. -R channel to run a subset). Any sanitizer
# report fails the test that produced it. TARVELL_SANITIZE_JOBS sets the
# build and test parallelism (default: the number of cores);
# TARVELL_SANITIZE_TARGETS (space-separated) builds only those targets.
#
# The threaded tests alone under TSan:
#   TARVELL_SANITIZE_TARGETS="$(scripts/sanitize.sh --threaded-targets)" \
#     scripts/sanitize.sh thread -R "$(scripts/sanitize.sh --threaded-regex)"
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Test programs that run threads: the channel (two senders), the stores (flush
# progress polled while flushing), the USB watcher beside detection, the
# runner, the media transfers, the backup job's worker queue. The backup job
# runs on a QThread polled by the progress display; Debian's Qt is not built
# for TSan, whose reports from inside Qt would drown any of ours, so the job
# itself is checked under ASan only.
threaded=(tarvellkit_channel_test tarvellkit_usb records_store_test tarvellkit_runner
          tarvellkit_media_unit tarvell_workqueue_test)
kind="${1:-}"
shift || true
if [ "$kind" = "--threaded-targets" ]; then echo "${threaded[*]}"; exit 0; fi
if [ "$kind" = "--threaded-regex" ]; then (IFS='|'; echo "^(${threaded[*]})\$"); exit 0; fi
case "$kind" in
  address) build="${TARVELL_BUILD_DIR:-$repo/build-asan}" ;;
  thread) build="${TARVELL_BUILD_DIR:-$repo/build-tsan}" ;;
  *) echo "usage: $0 address|thread [ctest args...]" >&2; exit 2 ;;
esac
jobs="${TARVELL_SANITIZE_JOBS:-$(nproc)}"

# Reports stop the run with a stack; leaks count as failures; nothing of our
# own is suppressed. A report exits with 86, which no program of ours uses:
# the end-to-end and fault cases accept tarvell-cli's documented codes (0-4)
# only, so a report there cannot pass for an ordinary failure (exit 1).
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=0:exitcode=86:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:verify_asan_link_order=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:exitcode=86}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$repo/scripts/tsan-thirdparty.supp}"

start=$(date +%s)
echo "== Configuring $build ($kind)"
CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELL_SANITIZE="$kind" -DTARVELL_BUILD_BENCH=OFF
echo "== Building"
if [ -n "${TARVELL_SANITIZE_TARGETS:-}" ]; then
  # Only the targets that exist in this tree.
  known="$(cmake --build "$build" --target help | sed -n 's/^\([A-Za-z0-9_.-]*\):.*/\1/p')"
  want=()
  for t in $TARVELL_SANITIZE_TARGETS; do
    if grep -qx "$t" <<<"$known"; then want+=("$t"); fi
  done
  cmake --build "$build" -j"$jobs" --target "${want[@]}"
else
  cmake --build "$build" -j"$jobs"
fi
built=$(date +%s)
echo "== Running tests"
status=0
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 900 "$@" || status=$?
end=$(date +%s)
echo "== $kind: build $((built - start)) s, tests $((end - built)) s, exit $status"
exit $status
