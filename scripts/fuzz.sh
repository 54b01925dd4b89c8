#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and fuzzes each for
# a bounded time, starting from its checked-in seed corpus.
#
#   scripts/fuzz.sh [-t seconds] [-j parallel] [-m] [target...]
#
#   -t  seconds per target (default 60)
#   -j  targets fuzzed at once (default 1)
#   -m  merge the inputs that add coverage into fuzz/corpus/<target>
#       (minimised; review and commit them)
# Targets default to every fuzz/fuzz_<name>.cpp. Each run writes its log to
# build-fuzz/runs/<target>.log and one Markdown table row (target, seconds,
# executions, coverage, features, corpus, result) to build-fuzz/runs/<target>.row;
# the rows together are printed at the end, ready for docs/RELIABILITY.md.
# A crash leaves its input in build-fuzz/artifacts/ and makes the script fail.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVELL_FUZZ_BUILD_DIR:-$repo/build-fuzz}"
seconds=60
parallel=1
merge=0
while getopts "t:j:m" opt; do
  case "$opt" in
    t) seconds="$OPTARG" ;;
    j) parallel="$OPTARG" ;;
    m) merge=1 ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$repo"/fuzz/fuzz_*.cpp; do
    n="$(basename "$f" .cpp)"
    targets+=("${n#fuzz_}")
  done
fi

CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARVELL_FUZZ=ON -DTARVELL_BUILD_TESTS=OFF -DTARVELL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$parallel" --target $(printf 'fuzz_%s ' "${targets[@]}")

mkdir -p "$build/runs" "$build/artifacts" "$build/home"
export HOME="$build/home" TARVELL_LOG_STDERR=0 QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

run_one() {
  local t="$1" work="$build/work/$1" log="$build/runs/$1.log" status=0
  mkdir -p "$work"
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -close_fd_mask=1 \
    -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$build/artifacts/$t-" \
    "$work" "$repo/fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  local execs cov ft units result
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  ft="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  units="$(grep -o 'corp: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  if [ "$status" -eq 0 ]; then result="no crash"; else result="**crash** (see $(basename "$build")/artifacts)"; fi
  printf '| %s | %s s | %s | %s | %s | %s | %s |\n' "$t" "$seconds" "${execs:-?}" "${cov:-?}" \
    "${ft:-?}" "${units:-?}" "$result" >"$build/runs/$t.row"
  if [ "$merge" -eq 1 ] && [ "$status" -eq 0 ]; then
    "$build/fuzz/fuzz_$t" -merge=1 -close_fd_mask=1 "$repo/fuzz/corpus/$t" "$work" \
      >>"$log" 2>&1 || true
  fi
  return "$status"
}

failed=0
pids=()
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$parallel" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || failed=1; done

echo "| target | time | executions | coverage (edges) | features | corpus | result |"
echo "|---|---|---|---|---|---|---|"
for t in "${targets[@]}"; do cat "$build/runs/$t.row"; done
exit $failed
