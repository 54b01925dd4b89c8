#!/usr/bin/env bash
# What the restore's duplicate check costs: tarvell-cli restores the contacts,
# messages and calls of a backup of a generated phone (default: the large
# preset) four times, with and without --duplicates, onto an empty phone and
# onto a phone that holds those records already, and prints the seconds: wall
# time and tarvell-cli's own processor time (user + system, which the other
# load of a shared machine disturbs less), the least of RUNS restores each
# (default 3).
#   empty phone:  the check reads an empty list, then every record is written;
#   full phone:   the check reads the phone's whole list and writes nothing,
#                 where --duplicates writes every record a second time.
#
# Usage: bench/restore/dedup.sh [BUILD_DIR] [PRESET] [RUNS]
# Builds needed: cmake --build BUILD_DIR --target bench_backup_cli_folder phonesim
# The companion's port is fixed: on a shared machine run it in a network
# namespace of its own:  unshare -rn sh -c 'ip link set lo up; bench/restore/dedup.sh'
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
preset="${2:-large}"
runs="${3:-3}"
work="$build/bench-phone/restore-work"
program="$build/bench-phone/backup-cli"
cli="$program/tarvell-cli"
phonesim="$build/phonesim/phonesim"
rm -rf "$work"
mkdir -p "$work/home"
export HOME="$work/home" TZ=UTC
unset XDG_CONFIG_HOME XDG_DATA_HOME
kinds=contacts,sms,calls

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
end_servers() {
  local phone
  for phone in "$work"/phone-*; do
    PHONESIM_HOME="$phone" "$program/adb" kill-server >/dev/null 2>&1 || true
  done
}
trap end_servers EXIT

"$phonesim" gen --preset "$preset" --seed 1 "$work/phone-source" >/dev/null
"$phonesim" gen --preset empty --seed 1 "$work/phone-empty" >/dev/null
PHONESIM_HOME="$work/phone-source" "$cli" backup --kinds "$kinds" --out "$work/out" >"$work/backup.out" 2>&1
backup=$(find "$work/out" -mindepth 1 -maxdepth 1 -type d | head -n 1)

# A phone holding the source's records (its media are not needed here).
copy_records() {
  mkdir -p "$1/sdcard"
  find "$work/phone-source" -maxdepth 1 -type f -exec cp {} "$1" \;
}

# Restores the backup onto a fresh copy of phone $1 (empty or full); prints
# the wall and the processor seconds.
restore_once() {
  local from="$1" name="$2"
  shift 2
  local phone="$work/phone-$name"
  rm -rf "$phone"
  if [[ "$from" == full ]]; then copy_records "$phone"; else cp -a "$work/phone-empty" "$phone"; fi
  local t status=0 TIMEFORMAT='%U %S'
  t=$(now)
  { time PHONESIM_HOME="$phone" "$cli" restore "$backup" --kinds "$kinds" "$@" >"$work/$name.out" 2>&1 || status=$?; } 2>"$work/$name.cpu"
  local s
  s="$(elapsed "$t" "$(now)") $(awk '{ printf "%.2f", $1 + $2 }' "$work/$name.cpu")"
  PHONESIM_HOME="$phone" "$program/adb" kill-server >/dev/null 2>&1 || true
  [[ "$status" == 0 ]] || echo "restore $name ended with exit code $status: $(tail -n 2 "$work/$name.out")" >&2
  echo "$s"
}
restore() {
  local wall="" cpu="" s i
  for ((i = 0; i < runs; i++)); do
    s=$(restore_once "$@")
    wall=$(awk -v a="${s% *}" -v b="$wall" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a : b }')
    cpu=$(awk -v a="${s#* }" -v b="$cpu" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a : b }')
  done
  echo "$wall $cpu"
}

empty_keep=$(restore empty empty-keep --duplicates)
empty_check=$(restore empty empty-check)
full_keep=$(restore full full-keep --duplicates)
full_check=$(restore full full-check)

records=$(grep -cE '^(contact|sms|call) ' <("$phonesim" dump "$work/phone-source") || true)
echo "phone: $preset ($records contacts, messages and calls), least of $runs runs"
printf '%-34s %8s %8s\n' "" "wall s" "cpu s"
for row in "empty phone, --duplicates:|$empty_keep" "empty phone, duplicate check:|$empty_check" \
  "full phone, --duplicates:|$full_keep" "full phone, duplicate check:|$full_check"; do
  v=${row#*|}
  printf '%-34s %8s %8s\n' "${row%%|*}" "${v% *}" "${v#* }"
done
echo "the check on an empty phone adds $(elapsed "${empty_keep% *}" "${empty_check% *}") s wall," \
  "$(elapsed "${empty_keep#* }" "${empty_check#* }") s cpu; on a full phone it writes nothing:" \
  "$(elapsed "${full_check% *}" "${full_keep% *}") s wall saved"
grep -h "already on the phone" "$work/full-check.out" || true
