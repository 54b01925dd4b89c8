#!/usr/bin/env bash
# Backup benchmark: tarvell-cli backs up a generated phone (default: the large
# preset), and in the same run the floors are measured:
#   - media: cp -r of the phone's media files and app packages;
#   - records: the library fetching the contact, message and call-log pages
#     (bench_backup_records), nothing written;
#   - thumbnails: MakeThumbnail over the same photos, alone (bench_backup_thumbs).
# Target: backup wall time <= 1.5 x (media + records + thumbnails), peak
# memory <= 300 MB. Prints the breakdown by kind (time until each kind's row
# reports success).
#
# Usage: bench/backup/run.sh [BUILD_DIR] [PRESET]
# Builds what it needs: cmake --build BUILD_DIR --target bench_backup_records
#   bench_backup_thumbs bench_backup_cli_folder phonesim
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
preset="${2:-large}"
work="$build/bench-phone/backup-work"
cli="$build/bench-phone/backup-cli/tarvell-cli"
rm -rf "$work"
mkdir -p "$work/home"
export HOME="$work/home" TZ=UTC
unset XDG_CONFIG_HOME XDG_DATA_HOME

"$build/phonesim/phonesim" gen --preset "$preset" --seed 1 "$work/phone" >/dev/null
export PHONESIM_HOME="$work/phone"
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# Peak resident memory of a process: its high-water mark, read until it ends.
watch_peak() {
  local pid=$1 peak=0 v
  while [[ -e /proc/$pid/status ]]; do
    v=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    [[ -n "$v" ]] && ((v > peak)) && peak=$v
    sleep 0.05
  done
  echo "$peak"
}

echo "== backup of the $preset phone with tarvell-cli"
start=$(now)
"$cli" backup --kinds all --out "$work/out" >"$work/cli.out" 2>&1 &
pid=$!
watch_peak "$pid" >"$work/peak_kb" &
watcher=$!
# Time stamp each line as it comes.
tail -n +1 -f --pid="$pid" "$work/cli.out" | while IFS= read -r line; do
  printf '%s %s\n' "$(now)" "$line"
done >"$work/cli.timed"
status=0
wait "$pid" || status=$?
end=$(now)
wait "$watcher" || true
backup_s=$(elapsed "$start" "$end")
peak_mb=$(($(cat "$work/peak_kb") / 1024))
if [[ "$status" != 0 ]]; then
  echo "backup ended with exit code $status:"
  tail -n 5 "$work/cli.out"
fi

echo "== floors"
media_src=("$work/phone/sdcard" "$work/phone/data/app")
t=$(now)
mkdir -p "$work/cp-floor"
cp -r "${media_src[@]}" "$work/cp-floor"
sync
media_s=$(elapsed "$t" "$(now)")
records_out=$("$build/bench-phone/backup/bench_backup_records" 2>"$work/records.err")
records_s=$(awk '{ s += $3 } END { printf "%.2f", s }' <<<"$records_out")
thumbs_out=$(QT_QPA_PLATFORM=offscreen "$build/bench-phone/backup/bench_backup_thumbs" "$work/phone/sdcard" 2>"$work/thumbs.err")
thumbs_s=$(awk '{ print $3 }' <<<"$thumbs_out")
floor_s=$(awk -v a="$media_s" -v b="$records_s" -v c="$thumbs_s" 'BEGIN { printf "%.2f", a + b + c }')
ratio=$(awk -v a="$backup_s" -v b="$floor_s" 'BEGIN { printf "%.2f", a / b }')

echo
echo "phone: $preset ($(du -sh "$work/phone/sdcard" | cut -f1) of media)"
echo "backup wall time:   ${backup_s} s   (exit code $status)"
echo "peak memory:        ${peak_mb} MB   (target <= 300 MB)"
echo "floor:              ${floor_s} s   = cp -r ${media_s} s + record pages ${records_s} s + thumbnails ${thumbs_s} s"
echo "                    ($(tr '\n' ';' <<<"$records_out") $thumbs_out)"
echo "ratio:              ${ratio} x   (target <= 1.5)"
echo
echo "breakdown by kind (time until the kind's row reports success):"
awk -v start="$start" '
  /Backing up data into/ { printf "  %-34s %7.2f s\n", "(preparing the phone)", $1 - start; last = $1 }
  / Success$/ {
    line = $0; sub(/^[^ ]+ /, "", line); sub(/ +Success$/, "", line)
    printf "  %-34s %7.2f s\n", line, $1 - last; last = $1
  }
  END { }' "$work/cli.timed"
