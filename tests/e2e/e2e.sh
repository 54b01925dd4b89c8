#!/usr/bin/env bash
# End-to-end cases of tarvell-cli against the simulated phone.
# Usage: e2e.sh CASE   (environment: PROGRAM_DIR, PHONESIM, WORK_ROOT)
# Each case runs in a fresh folder with its own home (catalogue, settings,
# logs) and its own phones.
set -uo pipefail

CASE="$1"
WORK="$WORK_ROOT/$CASE"
# shellcheck source=../lib/case.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/case.sh"
LIST="$HOME/.local/share/Tarvell/list.ini"

fail() {
  echo "FAIL [$CASE]: $*" >&2
  exit 1
}

# Lines of the phone's dump of one item type (contact, sms, call, photo, music, video, app).
count_items() { "$PHONESIM" dump "$1" | grep -c "^$2 "; }
# True when the phone's default messaging app is the user's own again (after
# the server wrote what it holds in memory).
messaging_app_handed_back() {
  "$PHONESIM" sync "$1" >/dev/null 2>&1 || true
  grep -q '"default_sms_app":[[:space:]]*"com.android.messaging"' "$1/phone.json"
}

# Runs tarvell-cli on phone $1 with the remaining arguments; output in $WORK/cli.out,
# exit code in $RC.
cli() {
  local phone="$1"
  shift
  PHONESIM_HOME="$phone" "$CLI" "$@" >"$WORK/cli.out" 2>"$WORK/cli.err"
  RC=$?
}

backup_folder() { find "$OUT" -mindepth 1 -maxdepth 1 -type d | head -n 1; }

# Starts a backup or restore in the background and sends Ctrl-C once its
# output shows the line $1 (an event of the job, checked every 20 ms).
cli_cancel_when() {
  local pattern="$1" phone="$2"
  shift 2
  : >"$WORK/cli.out"
  PHONESIM_HOME="$phone" "$CLI" "$@" >"$WORK/cli.out" 2>"$WORK/cli.err" &
  local pid=$!
  until grep -qE "$pattern" "$WORK/cli.out"; do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.02
  done
  kill -INT "$pid" 2>/dev/null
  wait "$pid"
  RC=$?
}


# Incremental backups. The photo files of phone $1, one a line, sorted.
photo_files() {
  find "$1/sdcard" -type f ! -path '*/.thumbnails/*' \
    \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' -o -iname '*.gif' \) | sort
}
# Changes every $2-th photo of phone $1 as a camera app editing it would:
# new bytes, new modification time.
change_photos() {
  photo_files "$1" | awk -v n="$2" 'NR % n == 1' | while IFS= read -r f; do
    printf 'edited' >>"$f"
    touch -d '2031-02-03 04:05:06' "$f"
  done
}
# Files of backup folder $1 that are hard links (more than one name).
linked_files() { find "$1" -type f -links +1 | wc -l; }
# The kinds whose every byte a backup of an unchanged phone repeats (an app
# list holds the companion's install time, new at every run).
SAME_KINDS=contacts,sms,calls,photos,videos,music
newest_folder() { find "$1" -mindepth 1 -maxdepth 1 -type d | sort | tail -n 1; }

case "$CASE" in

# Back up every kind, restore onto an empty phone: the phones are equal.
# Differences the design implies, none of which phonesim diff reports (it
# leaves out what a phone assigns): new record ids and thread ids, photos
# pushed to /sdcard/Images, music to /sdcard/Music, videos to /sdcard/Videos,
# apps reinstalled with new install times. The messaging app is handed back.
round_trip)
  gen small 1 "$WORK/phone"
  gen empty 1 "$WORK/target"
  cli "$WORK/phone" backup --kinds all --out "$OUT"
  expect_eq "$RC" 0 "backup exit code"
  B=$(backup_folder)
  grep -q "^Backup completed.$" "$WORK/cli.out" || fail "no completion line"
  grep -qF "Backup folder: $B" "$WORK/cli.out" || fail "backup folder not printed"
  for js in Contacts SMS CallHistory Photos Videos Musics Apps Deviceinfo; do
    [[ -s "$B/Datajs/$js.js" ]] || fail "missing Datajs/$js.js"
  done
  for f in Contacts/Contacts.csv Contacts/Contacts.txt SMS/SMS.csv SMS/SMS.txt \
    CallHistory/CallHistory.csv CallHistory/CallHistory.txt; do
    [[ -s "$B/$f" ]] || fail "missing print $f"
  done
  expect_eq "$(find "$B/Photos/Gallery" -type f | wc -l)" 30 "photos copied"
  expect_eq "$(find "$B/Datajs/thumb" -type f | wc -l)" 30 "thumbnails"
  for f in Contacts/Contacts.vcf SMS/sms.xml CallHistory/calls.xml; do
    [[ -s "$B/$f" ]] || fail "missing export $f"
  done
  # SHA256SUMS lists every file of the fresh backup, and standard tools agree.
  (cd "$B" && sha256sum --quiet -c SHA256SUMS) >"$WORK/sums.out" 2>&1 ||
    fail "sha256sum -c: $(head -n 5 "$WORK/sums.out")"
  expect_eq "$(cd "$B" && find . -type f ! -path ./SHA256SUMS | wc -l)" \
    "$(wc -l <"$B/SHA256SUMS")" "files listed in SHA256SUMS"
  grep -qF "=$B" "$LIST" || fail "backup not in the catalogue"
  cli "$WORK/target" restore "$B" --kinds all
  expect_eq "$RC" 0 "restore exit code"
  grep -q "^Restore Completed.$" "$WORK/cli.out" || fail "no restore completion line"
  # Reinstalled apps take their permissions from the package file; the
  # package stand-ins carry none, so only that may differ.
  "$PHONESIM" diff "$WORK/phone" "$WORK/target" >"$WORK/diff.out"
  unexpected=$(grep -v '^changed app "[^"]*": permissions: "[^"]*" -> (missing)$' "$WORK/diff.out")
  expect_eq "$unexpected" "" "phonesim diff"
  messaging_app_handed_back "$WORK/target" ||
    fail "the messaging app was not handed back"
  ;;

# A second backup of an unchanged phone takes every photo, video, song and
# app from the first (hard links) and says so; the folders are equal byte for
# byte. --full copies everything again into an equal folder of its own.
incremental_unchanged)
  gen small 1 "$WORK/phone"
  cli "$WORK/phone" backup --kinds "$SAME_KINDS" --out "$OUT/first"
  expect_eq "$RC" 0 "first backup"
  grep -q "unchanged since" "$WORK/cli.out" && fail "the first backup had nothing to take"
  A=$(newest_folder "$OUT/first")
  cli "$WORK/phone" backup --kinds "$SAME_KINDS" --out "$OUT/second"
  expect_eq "$RC" 0 "second backup"
  B=$(newest_folder "$OUT/second")
  grep -qx "30 of 30 photos, 3 of 3 videos, 8 of 8 music files unchanged since the last backup." \
    "$WORK/cli.out" || fail "no unchanged line: $(cat "$WORK/cli.out")"
  # Every media file and thumbnail is a link, nothing else is.
  expect_eq "$(linked_files "$B")" $((30 + 30 + 3 + 8)) "hard links in the second folder"
  diff -r "$A" "$B" >"$WORK/diff.out" || fail "folders differ: $(head -n 5 "$WORK/diff.out")"
  (cd "$B" && sha256sum --quiet -c SHA256SUMS) >/dev/null 2>&1 || fail "sha256sum -c of the second"
  # Deleting the first folder loses nothing of the second.
  rm -rf "$A"
  (cd "$B" && sha256sum --quiet -c SHA256SUMS) >/dev/null 2>&1 || fail "second after deleting the first"
  cli "$WORK/phone" backup --kinds "$SAME_KINDS" --out "$OUT/full" --full
  expect_eq "$RC" 0 "full backup"
  grep -q "unchanged since" "$WORK/cli.out" && fail "--full took files from a backup"
  F=$(newest_folder "$OUT/full")
  expect_eq "$(linked_files "$F")" 0 "hard links in the --full folder"
  diff -r "$B" "$F" >"$WORK/diff.out" || fail "full and incremental differ: $(head -n 5 "$WORK/diff.out")"
  # Apps: the packages of unchanged apps are taken too; the companion,
  # installed anew by every run, comes from the phone.
  cli "$WORK/phone" backup --kinds apps --out "$OUT/apps1"
  cli "$WORK/phone" backup --kinds apps --out "$OUT/apps2"
  expect_eq "$RC" 0 "apps backup"
  # (both runs may fall in one second, which makes the companion equal too)
  grep -Eqx "1[01] of 11 apps unchanged since the last backup." "$WORK/cli.out" ||
    fail "apps line: $(cat "$WORK/cli.out")"
  ;;

# 5 % of the photos changed: only those cross the cable; the folder equals a
# full backup of the changed phone.
incremental_changed)
  gen small 1 "$WORK/phone"
  cli "$WORK/phone" backup --kinds photos --out "$OUT/first"
  expect_eq "$RC" 0 "first backup"
  change_photos "$WORK/phone" 20
  cli "$WORK/phone" backup --kinds photos --out "$OUT/second"
  expect_eq "$RC" 0 "second backup"
  grep -qx "28 of 30 photos unchanged since the last backup." "$WORK/cli.out" ||
    fail "unchanged line: $(cat "$WORK/cli.out")"
  B=$(newest_folder "$OUT/second")
  expect_eq "$(find "$B/Photos/Gallery" -type f -links 1 | wc -l)" 2 "photos copied from the phone"
  cli "$WORK/phone" backup --kinds photos --out "$OUT/full" --full
  F=$(newest_folder "$OUT/full")
  diff -r "$B" "$F" >"$WORK/diff.out" || fail "differs from a full backup: $(head -n 5 "$WORK/diff.out")"
  ;;

# The earlier folder disappears while the backup takes files from it: the
# rest come from the phone, and the new folder is whole.
incremental_earlier_deleted)
  gen small 1 "$WORK/phone"
  cli "$WORK/phone" backup --kinds photos --out "$OUT/first"
  expect_eq "$RC" 0 "first backup"
  A=$(newest_folder "$OUT/first")
  # A third of the photos changed, each copy from the phone slow: the
  # folder goes while photos are being taken.
  change_photos "$WORK/phone" 3
  fault "$WORK/phone" adb_delay_ms 200
  PHONESIM_HOME="$WORK/phone" "$CLI" backup --kinds photos --out "$OUT/second" \
    >"$WORK/cli.out" 2>"$WORK/cli.err" &
  pid=$!
  until grep -q "incremental: unchanged Photos are taken from" \
    "$HOME/Documents/LogFiles/tarvellui.log" 2>/dev/null; do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.02
  done
  rm -rf "$A"
  wait "$pid"
  expect_eq "$?" 0 "backup exit code"
  grep -q "no longer in the earlier backup" "$HOME/Documents/LogFiles/tarvellui.log" ||
    fail "no photo fell back to the phone"
  B=$(newest_folder "$OUT/second")
  expect_eq "$(find "$B/Photos/Gallery" -type f | wc -l)" 30 "photos in the new folder"
  expect_eq "$(find "$B" -name '.incr-*' | wc -l)" 0 "temporary files left"
  (cd "$B" && sha256sum --quiet -c SHA256SUMS) >/dev/null 2>&1 || fail "sha256sum -c"
  for f in "$B"/Photos/Gallery/*; do
    name=${f##*/}
    cmp -s "$f" "$(photo_files "$WORK/phone" | grep -F "/${name#*-}" | head -n 1)" ||
      fail "$name differs from the phone's"
  done
  ;;

# An earlier photo damaged on disk (same size and time) and an earlier
# thumbnail damaged: neither is linked; the photo comes from the phone, the
# thumbnail is made again, and the folder equals a full backup.
incremental_corrupted)
  gen small 1 "$WORK/phone"
  cli "$WORK/phone" backup --kinds photos --out "$OUT/first"
  expect_eq "$RC" 0 "first backup"
  A=$(newest_folder "$OUT/first")
  photo=$(find "$A/Photos/Gallery" -type f | sort | head -n 1)
  thumb=$(find "$A/Datajs/thumb" -type f | sort | tail -n 1)
  for f in "$photo" "$thumb"; do
    cp -p "$f" "$WORK/stamp"
    printf 'X' | dd of="$f" bs=1 seek=100 conv=notrunc status=none
    touch -r "$WORK/stamp" "$f"
  done
  cli "$WORK/phone" backup --kinds photos --out "$OUT/second"
  expect_eq "$RC" 0 "second backup"
  grep -qx "29 of 30 photos unchanged since the last backup." "$WORK/cli.out" ||
    fail "unchanged line: $(cat "$WORK/cli.out")"
  B=$(newest_folder "$OUT/second")
  expect_eq "$(find "$B" -type f -links +1 | wc -l)" $((29 + 28)) "links (photos and thumbnails)"
  cli "$WORK/phone" backup --kinds photos --out "$OUT/full" --full
  F=$(newest_folder "$OUT/full")
  diff -r "$B" "$F" >"$WORK/diff.out" || fail "differs from a full backup: $(head -n 5 "$WORK/diff.out")"
  ;;

# Two folders restored in one job: the phone gets the items of both.
two_folders)
  gen tiny 1 "$WORK/a"
  gen tiny 2 "$WORK/b"
  gen empty 1 "$WORK/target"
  cli "$WORK/a" backup --out "$OUT/a"
  expect_eq "$RC" 0 "backup a"
  cli "$WORK/b" backup --out "$OUT/b"
  expect_eq "$RC" 0 "backup b"
  A=$(find "$OUT/a" -mindepth 1 -maxdepth 1 -type d)
  B=$(find "$OUT/b" -mindepth 1 -maxdepth 1 -type d)
  cli "$WORK/target" restore "$A" "$B"
  expect_eq "$RC" 0 "restore exit code"
  for item in contact sms call photo music video; do
    want=$(($(count_items "$WORK/a" $item) + $(count_items "$WORK/b" $item)))
    expect_eq "$(count_items "$WORK/target" $item)" "$want" "$item after restoring both"
  done
  ;;

# --clear clears a kind only when a folder holds something of it to put back.
clear_only_with_data)
  gen tiny 1 "$WORK/source"
  gen tiny 2 "$WORK/target"
  photos_before=$(count_items "$WORK/target" photo)
  cli "$WORK/source" backup --kinds contacts --out "$OUT"
  B=$(backup_folder)
  cli "$WORK/target" restore "$B" --kinds contacts,photos --clear
  expect_eq "$RC" 0 "restore exit code"
  # Contacts: cleared and replaced by the backup's.
  diff <("$PHONESIM" dump "$WORK/source" | grep '^contact ') \
    <("$PHONESIM" dump "$WORK/target" | grep '^contact ') >/dev/null ||
    fail "contacts were not replaced by the backup's"
  # Photos: the backup has none, so the phone keeps its own.
  expect_eq "$(count_items "$WORK/target" photo)" "$photos_before" "photos kept"
  grep -q "Photos not cleared" "$HOME/Documents/LogFiles/tarvellui.log" ||
    fail "no log line for the skipped clear"
  # A Photos.js whose files are gone does not count as something to put back.
  cli "$WORK/source" backup --kinds photos --out "$OUT/p"
  P=$(find "$OUT/p" -mindepth 1 -maxdepth 1 -type d)
  rm -f "$P"/Photos/Gallery/*
  cli "$WORK/target" restore "$P" --kinds photos --clear
  expect_eq "$(count_items "$WORK/target" photo)" "$photos_before" "photos kept (no readable file)"
  # Messages: from Android 4.4 only the default messaging app may delete
  # them, so the clear waits for that role; then they are replaced.
  cli "$WORK/source" backup --kinds sms --out "$OUT/m"
  M=$(find "$OUT/m" -mindepth 1 -maxdepth 1 -type d)
  cli "$WORK/target" restore "$M" --kinds sms --clear
  expect_eq "$RC" 0 "restore of messages with --clear"
  diff <("$PHONESIM" dump "$WORK/source" | grep '^sms ' | sed 's/ thread_id="[^"]*"//') \
    <("$PHONESIM" dump "$WORK/target" | grep '^sms ' | sed 's/ thread_id="[^"]*"//') >/dev/null ||
    fail "messages were not replaced by the backup's"
  ;;

# A backup whose SMS.js no longer matches its SHA256SUMS: the restore leaves
# the messages out (exit 1, a message naming them) and restores the other
# kinds; --force restores them anyway with a warning.
damaged_restore)
  gen tiny 1 "$WORK/phone"
  gen empty 1 "$WORK/target"
  gen empty 1 "$WORK/forced"
  cli "$WORK/phone" backup --out "$OUT"
  expect_eq "$RC" 0 "backup exit code"
  B=$(backup_folder)
  # One digit near the middle flipped to another digit: still a readable file.
  python3 - "$B/Datajs/SMS.js" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, "rb").read())
at = next(i for i in range(len(data) // 2, len(data)) if 0x30 <= data[i] <= 0x39)
data[at] ^= 1
open(path, "wb").write(data)
PY
  cli "$WORK/target" restore "$B"
  expect_eq "$RC" 1 "restore exit code (messages left out)"
  grep -q "Text Messages not restored: .*CHANGED Datajs/SMS.js" "$WORK/cli.err" ||
    fail "no refusal message: $(cat "$WORK/cli.err")"
  expect_eq "$(count_items "$WORK/target" sms)" 0 "messages restored from a damaged file"
  for item in contact call photo music video; do
    expect_eq "$(count_items "$WORK/target" $item)" "$(count_items "$WORK/phone" $item)" "$item restored"
  done
  cli "$WORK/forced" restore "$B" --force
  expect_eq "$RC" 0 "forced restore exit code"
  grep -q "^tarvell-cli: Warning: Text Messages restored although damaged" "$WORK/cli.err" ||
    fail "no warning: $(cat "$WORK/cli.err")"
  expect_eq "$(count_items "$WORK/forced" sms)" "$(count_items "$WORK/phone" sms)" "messages forced"
  ;;

# A backup's own standard exports, imported onto an empty phone, give the
# same records as restoring the folder.
import_exports)
  gen tiny 1 "$WORK/phone"
  gen empty 1 "$WORK/from_folder"
  gen empty 1 "$WORK/from_exports"
  cli "$WORK/phone" backup --kinds contacts,sms,calls --out "$OUT"
  expect_eq "$RC" 0 "backup exit code"
  B=$(backup_folder)
  cli "$WORK/from_folder" restore "$B" --kinds contacts,sms,calls
  expect_eq "$RC" 0 "restore of the folder"
  cli "$WORK/from_exports" restore --vcf "$B/Contacts/Contacts.vcf" \
    --sms-xml "$B/SMS/sms.xml" --calls-xml "$B/CallHistory/calls.xml"
  expect_eq "$RC" 0 "restore of the exports: $(cat "$WORK/cli.err")"
  for item in contact sms call; do
    expect_eq "$(count_items "$WORK/from_exports" $item)" "$(count_items "$WORK/phone" $item)" "$item imported"
  done
  "$PHONESIM" diff "$WORK/from_folder" "$WORK/from_exports" >"$WORK/diff.out"
  expect_eq "$(cat "$WORK/diff.out")" "" "phonesim diff"
  # A file that is not what its option says stops before the phone is touched.
  cli "$WORK/from_exports" restore --vcf "$B/SMS/sms.xml"
  expect_eq "$RC" 2 "restore of a bad vCard"
  ;;

# Restoring the same folder twice leaves the phone as one restore does; the
# second run names what it left out. --duplicates writes everything again.
# Also run against the companion app (e2e.restore_twice.companion).
restore_twice)
  gen tiny 1 "$WORK/phone"
  gen empty 1 "$WORK/once"
  gen empty 1 "$WORK/twice"
  kinds=contacts,sms,calls
  cli "$WORK/phone" backup --kinds "$kinds" --out "$OUT"
  expect_eq "$RC" 0 "backup exit code"
  B=$(backup_folder)
  # Records the phone gives back otherwise than the folder holds them: a body
  # the library cuts (inside a character), a draft (restored as received), a
  # call type above 4, a contact with a last name and a lone-quote number.
  python3 - "$B/Datajs" <<'PY'
import json, sys
def edit(name, change):
    path = f"{sys.argv[1]}/{name}.js"
    text = open(path, encoding="utf-8").read()
    root = json.loads(text[12:].rstrip().rstrip(";"))
    change(root)
    open(path, "w", encoding="utf-8").write(text[:12] + json.dumps(root, ensure_ascii=False) + ";")
msg = {"SessionID": "900", "Phone": "555 0100", "Date": "2022-01-02 03:04:05", "read": "1", "guid": "9"}
edit("SMS", lambda r: r["Group_1"].update({
    "900": dict(msg, Text="\u00e9" * 600, flags="1"),
    "901": dict(msg, Text="draft", flags="3")}))
edit("CallHistory", lambda r: r["Group_1"].update({"900": {
    "SessionID": "900", "Phone": "555 0100", "CallDate": "2022-01-02 03:04:05",
    "CallStatus": "7", "Duration": "5"}}))
edit("Contacts", lambda r: r.update({"900": {
    "SessionID": "900", "FirstName": "Zo\u00eb", "LastName": "\u00d1", "MobileNumber": "1",
    "HomeNumber": "\""}}))
PY
  rm "$B/SHA256SUMS"
  cli "$WORK/once" restore "$B" --kinds "$kinds"
  expect_eq "$RC" 0 "single restore"
  ! grep -q "already on the phone" "$WORK/cli.out" || fail "records left out on an empty phone"
  for run in first second; do
    cli "$WORK/twice" restore "$B" --kinds "$kinds"
    expect_eq "$RC" 0 "$run restore"
  done
  c=$(count_items "$WORK/once" contact)
  s=$(count_items "$WORK/once" sms)
  k=$(count_items "$WORK/once" call)
  ((c > 0 && s > 0 && k > 0)) || fail "the tiny phone lacks a kind ($c $s $k)"
  grep -qxF "$((c + s + k)) already on the phone ($c Contacts, $s Text Messages, $k Call Logs)." \
    "$WORK/cli.out" || fail "skipped records not reported: $(cat "$WORK/cli.out")"
  "$PHONESIM" diff "$WORK/once" "$WORK/twice" >"$WORK/diff.out"
  expect_eq "$(cat "$WORK/diff.out")" "" "phonesim diff after restoring twice"
  cli "$WORK/twice" restore "$B" --kinds "$kinds" --duplicates
  expect_eq "$RC" 0 "restore with --duplicates"
  # Contacts arrive again; the companion app itself stores an identical
  # message or call once (the emulator does not), so those are not counted.
  expect_eq "$(count_items "$WORK/twice" contact)" "$((2 * c))" "contacts after --duplicates"
  ;;

# The default-messaging-app request accepted late, and never.
countdown_late)
  gen tiny 1 "$WORK/phone"
  gen empty 1 "$WORK/target"
  cli "$WORK/phone" backup --kinds sms --out "$OUT"
  B=$(backup_folder)
  fault "$WORK/target" default_sms_accept_after 2
  cli "$WORK/target" restore "$B" --kinds sms
  expect_eq "$RC" 0 "restore exit code"
  grep -Eq '^Please click "Yes" on your destination phone, or the program will skip copying SMS in (60|59) seconds\.$' \
    "$WORK/cli.out" || fail "countdown text not shown"
  expect_eq "$(count_items "$WORK/target" sms)" "$(count_items "$WORK/phone" sms)" "messages restored"
  messaging_app_handed_back "$WORK/target" ||
    fail "the messaging app was not handed back"
  ;;

countdown_never)
  gen tiny 1 "$WORK/phone"
  gen empty 1 "$WORK/target"
  cli "$WORK/phone" backup --kinds contacts,sms --out "$OUT"
  B=$(backup_folder)
  fault "$WORK/target" default_sms_accept_after never
  # The countdown is shortened for this test only (60 s on a user's machine).
  TARVELL_TEST_SMS_COUNTDOWN=2 cli "$WORK/target" restore "$B" --kinds contacts,sms
  expect_eq "$RC" 1 "restore exit code (messages skipped)"
  grep -q "could not be copied" "$WORK/cli.out" || fail "skipped messages not reported"
  expect_eq "$(count_items "$WORK/target" sms)" 0 "no message restored"
  expect_eq "$(count_items "$WORK/target" contact)" "$(count_items "$WORK/phone" contact)" "contacts restored"
  messaging_app_handed_back "$WORK/target" ||
    fail "the request was not withdrawn"
  ;;

# Ctrl-C during each kind of a backup: exit 4, the kinds after it are not
# written, no device facts (except after a file kind that was last), no
# catalogue entry.
cancel_backup_each_kind)
  gen tiny 1 "$WORK/phone"
  fault "$WORK/phone" companion_delay_ms 150
  kinds=(contacts sms calls photos videos music apps)
  files=(Contacts SMS CallHistory Photos Videos Musics Apps)
  for i in "${!kinds[@]}"; do
    rm -rf "$OUT"
    if ((i == 0)); then
      trigger="^Backing up data into"
    else
      # The row of the kind before it has finished.
      trigger="^$(sed -n "$i p" <<<$'Contacts\nText Messages\nCall Logs\nPhotos\nVideos\nMusics')\(.*Success$"
    fi
    cli_cancel_when "$trigger" "$WORK/phone" backup --kinds all --out "$OUT"
    expect_eq "$RC" 4 "exit code when cancelling during ${kinds[$i]}"
    B=$(backup_folder)
    for ((j = i + 1; j < 7; j++)); do
      [[ ! -e "$B/Datajs/${files[$j]}.js" ]] || fail "${files[$j]}.js written after cancelling during ${kinds[$i]}"
    done
    if ((i < 6)); then
      [[ ! -e "$B/Datajs/Deviceinfo.js" ]] || fail "device facts written after cancelling during ${kinds[$i]}"
    fi
    [[ ! -e "$LIST" ]] || ! grep -qF "=$B" "$LIST" || fail "cancelled backup in the catalogue"
    grep -q "Backup cancelled" "$WORK/cli.out" || fail "no cancel message"
  done
  ;;

# Ctrl-C during a restore: the kinds after it do not reach the phone.
cancel_restore)
  gen tiny 1 "$WORK/phone"
  gen empty 1 "$WORK/target"
  cli "$WORK/phone" backup --out "$OUT"
  B=$(backup_folder)
  fault "$WORK/target" companion_delay_ms 150
  cli_cancel_when "^Text Messages\(.*Success$" "$WORK/target" restore "$B"
  expect_eq "$RC" 4 "restore exit code"
  expect_eq "$(count_items "$WORK/target" contact)" "$(count_items "$WORK/phone" contact)" "contacts restored"
  expect_eq "$(count_items "$WORK/target" music)" 0 "no music after the cancel"
  expect_eq "$(count_items "$WORK/target" video)" 0 "no video after the cancel"
  ;;

# A phone with nothing on it: every .js file holds only its version.
empty_phone)
  gen empty 1 "$WORK/phone"
  cli "$WORK/phone" backup --kinds all --out "$OUT"
  expect_eq "$RC" 0 "backup exit code"
  B=$(backup_folder)
  for js in Contacts SMS CallHistory Photos Videos Musics; do
    grep -q '"Version"' "$B/Datajs/$js.js" || fail "$js.js without version"
    grep -q '"1":' "$B/Datajs/$js.js" && fail "$js.js holds an entry"
  done
  # The only app on the phone is the companion service the job runs.
  expect_eq "$(grep -c '"Packagename":' "$B/Datajs/Apps.js")" 1 "apps listed"
  grep -q '"Packagename":[[:space:]]*"com.velmora.tarvell"' "$B/Datajs/Apps.js" || fail "unexpected app"
  [[ -s "$B/Datajs/Deviceinfo.js" ]] || fail "no device facts"
  # The job removes the companion service again, unless asked to keep it.
  expect_eq "$(count_items "$WORK/phone" app)" 0 "apps left on the phone"
  cli "$WORK/phone" backup --kinds contacts --out "$OUT/kept" --keep-companion
  expect_eq "$RC" 0 "backup exit code (--keep-companion)"
  expect_eq "$(count_items "$WORK/phone" app)" 1 "apps left on the phone (--keep-companion)"
  ;;

# Hostile names from the phone never lead outside the backup folder, and a
# restore skips an entry whose Filename would leave its kind's folder.
hostile_names)
  gen small 3 "$WORK/phone"
  mkdir -p "$OUT"
  cli "$WORK/phone" backup --kinds all --out "$OUT"
  expect_eq "$RC" 0 "backup exit code"
  B=$(backup_folder)
  expect_eq "$(find "$OUT" -mindepth 1 -maxdepth 1 | wc -l)" 1 "entries in the output folder"
  # Every copied file sits directly in its kind's folder.
  while IFS= read -r f; do
    case "$(dirname "$f")" in
    "$B/Photos/Gallery" | "$B/Musics" | "$B/Videos" | "$B/Apps") ;;
    *) fail "file outside its kind's folder: $f" ;;
    esac
  done < <(find "$B/Photos/Gallery" "$B/Musics" "$B/Videos" "$B/Apps" -type f)
  # A second backup takes every file from the first, whatever its name.
  cli "$WORK/phone" backup --kinds photos,videos,music --out "$WORK/again"
  expect_eq "$RC" 0 "second backup"
  grep -qx "30 of 30 photos, 3 of 3 videos, 8 of 8 music files unchanged since the last backup." \
    "$WORK/cli.out" || fail "second backup: $(cat "$WORK/cli.out")"
  # A Filename that leaves the kind's folder is skipped on restore.
  echo "outside" >"$WORK/evil.mp3"
  sed -i 's/"Filename":[[:space:]]*"\([0-9]*\)-[^"]*"/"Filename": "\1-..\/..\/..\/evil.mp3"/' "$B/Datajs/Musics.js"
  gen empty 1 "$WORK/target"
  # The edited Musics.js no longer matches SHA256SUMS: the kind is left out.
  cli "$WORK/target" restore "$B" --kinds music
  expect_eq "$RC" 1 "restore of an edited Musics.js"
  grep -q "Musics not restored" "$WORK/cli.err" || fail "no refusal: $(cat "$WORK/cli.err")"
  # Without SHA256SUMS (an older backup) the entries themselves are refused.
  rm "$B/SHA256SUMS"
  cli "$WORK/target" restore "$B" --kinds music
  expect_eq "$(count_items "$WORK/target" music)" 0 "music entries leaving the folder were pushed"
  grep -q "evil.mp3" "$HOME/Documents/LogFiles/tarvellui.log" || fail "skipped entry not logged"
  ;;

# A copy that does not arrive whole is a failed item: exit code 1 and the
# completion text says so.
failed_copy)
  gen tiny 1 "$WORK/phone"
  # One music file that neither way of copying can bring: adb cannot pass
  # its name (a double quote), and the streamed copy is cut off by the phone.
  victim=$(find "$WORK/phone/sdcard/Music" -type f | head -n 1)
  mv "$victim" "$(dirname "$victim")/Say \"hi\".mp3"
  fault "$WORK/phone" companion_truncate exportfilefromdevice_music
  cli "$WORK/phone" backup --kinds music --out "$OUT"
  expect_eq "$RC" 1 "backup exit code"
  grep -q "^Backup finished\. 1 item could not be copied (1 Musics)" "$WORK/cli.out" ||
    fail "failure sentence missing: $(cat "$WORK/cli.out")"
  B=$(backup_folder)
  expect_eq "$(grep -c '"Filename":' "$B/Datajs/Musics.js")" 2 "entries (the failed one stays)"
  grep -q '^error: .*Say "hi"\.mp3' "$HOME/Documents/LogFiles/tarvellui.log" || fail "no error line for the copy"
  grep -qF "=$B" "$LIST" || fail "a finished backup with failures is not listed"
  ;;

# A destination path longer than the library takes is skipped and counted.
long_path)
  gen tiny 1 "$WORK/phone"
  # An output folder of exactly 965 bytes wherever the build lies: the
  # backup folder's photo folder (about 51 bytes more) still fits the
  # library's 1023, each photo's path does not.
  long="$OUT"
  while ((${#long} < 965)); do
    room=$((965 - ${#long} - 1))
    n=$((room > 60 ? 60 : room))
    ((room - n == 1)) && n=$((n - 1))
    long="$long/$(printf 'd%.0s' $(seq "$n"))"
  done
  expect_eq "${#long}" 965 "output folder length"
  cli "$WORK/phone" backup --kinds photos --out "$long"
  expect_eq "$RC" 1 "backup exit code"
  grep -q "could not be copied" "$WORK/cli.out" || fail "long paths not reported"
  grep -q "path too long for the library" "$HOME/Documents/LogFiles/tarvellui.log" || fail "no log line"
  ;;

# Exit codes and messages without a phone or with bad arguments.
exit_codes)
  cli "$WORK/none" devices
  expect_eq "$RC" 3 "devices without a phone"
  grep -q "no phone found" "$WORK/cli.err" || fail "no-phone message"
  cli "$WORK/none" backup --kinds bogus
  expect_eq "$RC" 2 "unknown kind"
  grep -q "unknown kind 'bogus'" "$WORK/cli.err" || fail "unknown-kind message"
  cli "$WORK/none" restore
  expect_eq "$RC" 2 "restore without folders"
  cli "$WORK/none" restore "$WORK"
  expect_eq "$RC" 2 "restore of a folder that is no backup"
  cli "$WORK/none" frobnicate
  expect_eq "$RC" 2 "unknown command"
  for c in devices backup restore list; do
    cli "$WORK/none" "$c" --help
    expect_eq "$RC" 0 "$c --help"
    grep -q "Exit codes" "$WORK/cli.out" || fail "$c --help without exit codes"
  done
  gen tiny 1 "$WORK/phone"
  fault "$WORK/phone" state unauthorized
  cli "$WORK/phone" backup --out "$OUT"
  expect_eq "$RC" 3 "unauthorized phone"
  grep -q "has not allowed this computer" "$WORK/cli.err" || fail "unauthorized message"
  fault "$WORK/phone" state device
  cli "$WORK/phone" devices
  expect_eq "$RC" 0 "devices with a phone"
  grep -q "^Model: *Simulated tiny" "$WORK/cli.out" || fail "device facts: $(cat "$WORK/cli.out")"
  ;;

# The viewer's browser tests over a backup that tarvell-cli wrote from a
# generated phone (every kind), instead of the tests' own fixture.
viewer_on_engine_backup)
  [[ -n "${VIEWER_DIR:-}" && -d "$VIEWER_DIR/node_modules/playwright-core" ]] ||
    fail "the viewer tests are not set up (VIEWER_DIR, npm install in tests/viewer)"
  gen small 1 "$WORK/phone"
  cli "$WORK/phone" backup --kinds all --out "$OUT"
  expect_eq "$RC" 0 "backup exit code"
  B=$(backup_folder)
  (cd "$VIEWER_DIR" && TARVELL_VIEWER_BACKUP="$B" node --test viewer.test.mjs) >"$WORK/viewer.out" 2>&1 ||
    fail "viewer tests over the engine's backup: $(tail -n 30 "$WORK/viewer.out")"
  ;;

*)
  fail "unknown case"
  ;;
esac
echo "PASS [$CASE]"
