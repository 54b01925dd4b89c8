#!/usr/bin/env bash
# Backup benchmark: tarvell-cli backs up a generated phone (default: the large
# preset), and in the same run the floors are measured:
#   - media: cp -r of the phone's media files and app packages;
#   - records: the library fetching the contact, message and call-log pages
#     (bench_backup_records), nothing written;
#   - thumbnails: MakeThumbnail over the same photos, alone (bench_backup_thumbs).
# Then two more backups of the same phone into the same output folder: the
# phone unchanged (its files are taken from the first backup), and after 5 %
# of its photos were edited.
# Targets: first backup <= 1.0 x (media + records + thumbnails), second <=
# 0.2 x the first, third <= 0.3 x the first, peak memory <= 300 MB each.
# Prints the machine's load and the breakdown by kind of each backup (time
# until each kind's row reports success).
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

# Runs tarvell-cli backup with the arguments given into $work/out; sets
# backup_s, peak_mb and status, and leaves its output, each line time-stamped,
# in $work/$name.timed.
timed_backup() {
  local name=$1
  shift
  start=$(now)
  echo "$start" >"$work/$name.start"
  : >"$work/$name.out" # there before tail follows it
  "$cli" backup --kinds all --out "$work/out" "$@" >"$work/$name.out" 2>&1 &
  pid=$!
  watch_peak "$pid" >"$work/$name.peak_kb" &
  watcher=$!
  # Time stamp each line as it comes. tail looks for the end of the backup
  # every -s seconds (1 s by default, which the wall time would include).
  tail -s 0.02 -n +1 -f --pid="$pid" "$work/$name.out" | while IFS= read -r line; do
    printf '%s %s\n' "$(now)" "$line"
  done >"$work/$name.timed"
  status=0
  wait "$pid" || status=$?
  end=$(now)
  wait "$watcher" || true
  backup_s=$(elapsed "$start" "$end")
  peak_mb=$(($(cat "$work/$name.peak_kb") / 1024))
  if [[ "$status" != 0 ]]; then
    echo "$name backup ended with exit code $status:"
    tail -n 5 "$work/$name.out"
  fi
}

echo "== backup of the $preset phone with tarvell-cli"
timed_backup first
first_s=$backup_s first_peak=$peak_mb first_status=$status

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

# The same phone again: its photos, videos, music and apps are taken from
# the first backup.
echo "== second backup of the unchanged phone"
timed_backup second
second_s=$backup_s second_peak=$peak_mb second_status=$status

# 5 % of the photos edited (new bytes, new time) before a third backup.
echo "== third backup after changing 5 % of the photos"
find "$work/phone/sdcard" -type f ! -path '*/.thumbnails/*' \
  \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' -o -iname '*.gif' \) | sort |
  awk 'NR % 20 == 1' | while IFS= read -r f; do
  printf 'edited' >>"$f"
  touch -d '2031-02-03 04:05:06' "$f"
done
timed_backup third
third_s=$backup_s third_peak=$peak_mb third_status=$status

ratio=$(awk -v a="$first_s" -v b="$floor_s" 'BEGIN { printf "%.2f", a / b }')
second_ratio=$(awk -v a="$second_s" -v b="$first_s" 'BEGIN { printf "%.2f", a / b }')
third_ratio=$(awk -v a="$third_s" -v b="$first_s" 'BEGIN { printf "%.2f", a / b }')
unchanged() { grep -h "unchanged since" "$work/$1.out" || echo "(no unchanged line)"; }

echo
echo "phone: $preset ($(du -sh "$work/phone/sdcard" | cut -f1) of media)"
echo "machine load:       $(uptime | sed 's/.*load average/load average/')"
echo "first backup:       ${first_s} s   peak ${first_peak} MB   (exit code $first_status)"
echo "floor:              ${floor_s} s   = cp -r ${media_s} s + record pages ${records_s} s + thumbnails ${thumbs_s} s"
echo "                    ($(tr '\n' ';' <<<"$records_out") $thumbs_out)"
echo "ratio:              ${ratio} x   (first backup / floor; target <= 1.0, peak <= 300 MB)"
echo "second, unchanged:  ${second_s} s   peak ${second_peak} MB   (exit code $second_status)"
echo "                    ${second_ratio} x the first   (target <= 0.2)"
echo "                    $(unchanged second)"
echo "third, 5 % changed: ${third_s} s   peak ${third_peak} MB   (exit code $third_status)"
echo "                    ${third_ratio} x the first   (target <= 0.3)"
echo "                    $(unchanged third)"
for name in first second third; do
  echo
  echo "$name backup by kind (time until the kind's row reports success):"
  awk -v start="$(cat "$work/$name.start")" '
    NR == 1 { last = start }
    /Backing up data into/ { printf "  %-34s %7.2f s\n", "(preparing the phone)", $1 - last; last = $1 }
    / Success$/ {
      line = $0; sub(/^[^ ]+ /, "", line); sub(/ +Success$/, "", line)
      printf "  %-34s %7.2f s\n", line, $1 - last; last = $1
    }
    /^[^ ]+ Backup (completed|finished)/ { printf "  %-34s %7.2f s\n", "(exports and SHA256SUMS)", $1 - last }' \
    "$work/$name.timed"
done
