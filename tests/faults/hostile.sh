# Hostile backup folders: a backup of a tiny phone, tampered with, restored
# onto a phone with its own data. Sourced by faults.sh for the rows it does
# not know; ROW names the tampering.
# Each row: the restore ends within its bound with a documented exit code;
# the phone keeps everything it had and gets nothing from outside the
# backup's data; nothing is written outside the backup folder (or into it);
# what was refused has a log line.

# Writes the .js file $1 of folder $B from the JSON text on standard input,
# with the prefix its kind uses.
write_js() {
  local file="$B/Datajs/$1.js" prefix
  prefix=$(head -c 12 "$file" 2>/dev/null)
  [[ "$prefix" == var\ Conte*= ]] || prefix="var Content="
  { printf '%s' "$prefix"; cat; printf ';'; } >"$file.new" && mv "$file.new" "$file"
}
# The JSON text of .js file $1 (without prefix and final ";").
js_json() { local t; t=$(tail -c +13 "$B/Datajs/$1.js"); printf '%s' "${t%;}"; }

# Planted files outside the backup that a tampered entry may point at.
plant_outside() {
  mkdir -p "$WORK/outside"
  printf 'SECRET-OUTSIDE-THE-BACKUP\n' >"$WORK/outside/evil.jpg"
  cp "$WORK/outside/evil.jpg" "$WORK/outside/evil.mp3"
  cp "$WORK/outside/evil.jpg" "$WORK/outside/evil.mp4"
}

# No file on phone $1 holds the planted text or /etc/passwd.
nothing_from_outside() {
  local hit
  hit=$(grep -rlF -e "SECRET-OUTSIDE-THE-BACKUP" -e "root:x:0:0" "$1/sdcard" "$1/data" 2>/dev/null | head -n 3)
  [[ -z "$hit" ]] || fail "data from outside the backup reached the phone: $hit"
}

restore_tampered() {
  local bound="$1"
  shift
  gen tiny 2 "$WORK/target"
  dump "$WORK/target" "$WORK/before.dump"
  fault "$WORK/target" default_sms_accept_after 0
  touch "$WORK/marker"
  sleep 1 # file times have one-second steps on some file systems
  # The tampered files no longer match SHA256SUMS, which would leave their
  # kinds out before these guards are reached: the rows stand for a folder
  # without sums (an older backup, or one made by hand).
  rm -f "$B/SHA256SUMS"
  cli_within "$bound" "$WORK/target" restore "$B" "$@"
  expect_in "$RC" "restore exit code" 0 1
  [[ " $* " == *" --clear "* ]] || nothing_lost "$WORK/before.dump" "$WORK/target"
  nothing_from_outside "$WORK/target"
  local written
  written=$(find "$WORK" -newer "$WORK/marker" -not -type d \
    -not -path "$WORK/target/*" -not -path "$WORK/home/*" -not -name 'cli.*' \
    -not -name '*.dump' -not -name check.out | head -n 5)
  [[ -z "$written" ]] || fail "the restore wrote files: $written"
}

# Items of kind $1 the restore added to the target.
added() { echo $(($(count_items "$WORK/target" "$1") - $(grep -c "^$1 " "$WORK/before.dump"))); }

case "$ROW" in

# Filenames of media and app entries that leave their folder: "../",
# absolute, "\" (each pointing at a planted file). None is pushed or
# installed; each is logged.
filename_escape)
  make_backup "$WORK/source" "$WORK/made" all
  plant_outside
  cp "$WORK/outside/evil.jpg" "$B/evil.jpg" # beside the kind folders, in the backup
  case "$ARG" in
  dotdot) photo="1-../../evil.jpg" music="1-../../outside/evil.mp3" video="1-../../../outside/evil.mp4" app="../../outside/evil.jpg" ;;
  absolute) photo="$WORK/outside/1-evil.jpg" music="/$WORK/outside/evil.mp3" video="1-/$WORK/outside/evil.mp4" app="$WORK/outside/evil.jpg" ;;
  backslash) photo='1-..\\..\\evil.jpg' music='1-..\\..\\outside\\evil.mp3' video='1-a\\b.mp4' app='..\\..\\outside\\evil.jpg' ;;
  *) fail "unknown escape $ARG" ;;
  esac
  for kind in Photos Musics Videos Apps; do
    case "$kind" in Photos) v=$photo ;; Musics) v=$music ;; Videos) v=$video ;; Apps) v=$app ;; esac
    js_json "$kind" | jq --arg v "$v" 'with_entries(if .key == "Version" then . else .value.Filename = $v end)' |
      write_js "$kind"
  done
  restore_tampered 120 --kinds all
  for item in photo music video; do expect_eq "$(added $item)" 0 "$item entries pushed"; done
  expect_eq "$(added app)" 0 "apps installed"
  grep -q "leaves" "$LOG" || fail "no log line for the refused entries"
  ;;

# Links inside the backup: a Gallery file that is a link to /etc/passwd, the
# Musics folder a link to a folder outside, Contacts.js a link to a contacts
# file outside the backup. None of them reaches the phone.
symlinks)
  make_backup "$WORK/source" "$WORK/made" contacts,photos,music
  plant_outside
  # Another phone's contacts, outside the backup.
  gen tiny 3 "$WORK/other"
  cli_within 120 "$WORK/other" backup --kinds contacts --out "$WORK/outside/other"
  other_js=$(find "$WORK/outside/other" -name Contacts.js)
  first=$(find "$B/Photos/Gallery" -type f | head -n 1)
  ln -sf /etc/passwd "$first"
  for f in "$B"/Musics/*; do cp "$WORK/outside/evil.mp3" "$WORK/outside/$(basename "$f")"; done
  rm -rf "$B/Musics"
  ln -s "$WORK/outside" "$B/Musics"
  rm "$B/Datajs/Contacts.js"
  ln -s "$other_js" "$B/Datajs/Contacts.js"
  photos_in_backup=$(find "$B/Photos/Gallery" -type f | wc -l)
  restore_tampered 120 --kinds contacts,photos,music
  expect_eq "$(added photo)" "$photos_in_backup" "photos pushed (the linked one refused)"
  expect_eq "$(added music)" 0 "music pushed through a linked folder"
  expect_eq "$(added contact)" 0 "contacts read through a link"
  grep -qi "link" "$LOG" || fail "no log line for the refused links"
  ;;

# A giant .js file (a 40 MB value in a key no restore reads) restores its
# entries; a deeply nested one (100 000 levels) is refused with
# "Error before" and the other kinds still restore.
giant_json)
  make_backup "$WORK/source" "$WORK/made" contacts,sms
  js_json Contacts | jq --rawfile pad <(head -c 40000000 /dev/zero | tr '\0' 'x') \
    'with_entries(if .key == "1" then .value.Headimg = $pad else . end)' | write_js Contacts
  size=$(stat -c %s "$B/Datajs/Contacts.js")
  ((size > 40000000)) || fail "the giant file is only $size bytes"
  restore_tampered 240 --kinds contacts
  expect_eq "$(added contact)" "$(count_items "$WORK/source" contact)" "contacts restored from the giant file"
  ;;

deep_json)
  make_backup "$WORK/source" "$WORK/made" contacts,sms,calls
  { printf '{"1":'; head -c 100000 /dev/zero | tr '\0' '['; head -c 100000 /dev/zero | tr '\0' ']'; printf '}'; } |
    write_js Contacts
  { printf '{"Version":{"Current":"1.0.0"},"g":{"1":{"SessionID":"1","guid":"1","Phone":"1","Text":'
    head -c 100000 /dev/zero | tr '\0' '{' | sed 's/{/{"a":/g'; printf '1'
    head -c 100000 /dev/zero | tr '\0' '}'; printf '}}}'; } | write_js SMS
  restore_tampered 120 --kinds contacts,sms,calls
  expect_eq "$(added contact)" 0 "contacts from a nested file"
  expect_eq "$(added sms)" 0 "messages from a nested file"
  expect_eq "$(added call)" "$(count_items "$WORK/source" call)" "calls restored beside them"
  grep -q "^Error before" "$WORK/cli.out" || fail "no 'Error before' line"
  grep -q "does not parse" "$LOG" || fail "no log line for the unparsable files"
  ;;

# Values of the wrong type: numbers, arrays, objects and null where texts
# belong, groups and entries that are not objects, a root that is an array.
wrong_types)
  make_backup "$WORK/source" "$WORK/made" all
  js_json Contacts | jq 'with_entries(if .key == "Version" then . else
      .value.SessionID = 7 | .value.FirstName = ["x"] | .value.MobileNumber = {"a": 1} end)
      + {"str": "entry", "num": 5, "nul": null}' | write_js Contacts
  js_json SMS | jq 'with_entries(if .key == "Version" then . else
      .value |= with_entries(.value.guid = 12 | .value.Text = null) end)
      + {"arr": [1, 2], "text": "group"}' | write_js SMS
  printf '[{"SessionID":"1","Phone":"123"}]' | write_js CallHistory
  for kind in Photos Musics Videos Apps; do
    js_json "$kind" | jq 'with_entries(if .key == "Version" then . else .value.Filename = 123 end)' |
      write_js "$kind"
  done
  restore_tampered 120 --kinds all
  for item in contact sms call photo music video app; do
    expect_eq "$(added $item)" 0 "$item entries of the wrong type restored"
  done
  ;;

# Entries without the key a kind needs: nothing from them reaches the phone,
# the others do.
missing_keys)
  make_backup "$WORK/source" "$WORK/made" all
  js_json Contacts | jq 'with_entries(if .key == "1" then .value |= del(.SessionID) else . end)' | write_js Contacts
  js_json SMS | jq 'with_entries(if .key == "Version" then . else .value |= with_entries(.value |= del(.guid)) end)' | write_js SMS
  js_json CallHistory | jq 'with_entries(if .key == "Version" then . else .value |= with_entries(.value |= del(.Phone)) end)' | write_js CallHistory
  for kind in Photos Musics Videos Apps; do
    js_json "$kind" | jq 'with_entries(if .key == "Version" then . else .value |= del(.Filename) end)' | write_js "$kind"
  done
  restore_tampered 120 --kinds all
  expect_eq "$(added contact)" "$(($(count_items "$WORK/source" contact) - 1))" "contacts restored"
  for item in sms call photo music video app; do
    expect_eq "$(added $item)" 0 "$item entries without their key restored"
  done
  ;;

# .js files of 0 bytes, without their "var X=" prefix, cut in half: each is
# refused with a log line; the kinds whose files are sound still restore,
# and --clear clears none of the broken kinds.
broken_js)
  make_backup "$WORK/source" "$WORK/made" all
  : >"$B/Datajs/Contacts.js"
  js_json SMS >"$B/Datajs/SMS.js.new" && mv "$B/Datajs/SMS.js.new" "$B/Datajs/SMS.js"
  head -c 12 "$B/Datajs/CallHistory.js" >"$B/Datajs/CallHistory.js.new" &&
    mv "$B/Datajs/CallHistory.js.new" "$B/Datajs/CallHistory.js"
  len=$(stat -c %s "$B/Datajs/Musics.js")
  truncate -s $((len / 2)) "$B/Datajs/Musics.js"
  restore_tampered 120 --kinds all --clear
  nothing_lost_or_refilled "$WORK/before.dump" "$WORK/target" "$WORK/source"
  for item in contact sms call music; do
    expect_eq "$(added $item)" 0 "$item entries from a broken file"
  done
  expect_eq "$(count_items "$WORK/target" photo)" "$(count_items "$WORK/source" photo)" \
    "photos cleared and restored beside them"
  grep -q "does not parse" "$LOG" || fail "no log line for the broken files"
  grep -q "not cleared" "$LOG" || fail "no log line for the kinds not cleared"
  ;;

# A package file that is not a package: adb refuses it without a word to
# its caller, so only the phone's own app list shows the failure.
broken_apk)
  make_backup "$WORK/source" "$WORK/made" apps
  apk=$(find "$B/Apps" -name 'net.demo.notes*' | head -n 1)
  [[ -n "$apk" ]] || fail "no package file of net.demo.notes in the backup"
  printf 'not a package' >"$apk"
  rm -f "$B/SHA256SUMS" # else the changed package file leaves the kind out
  gen empty 1 "$WORK/target"
  cli_within 120 "$WORK/target" restore "$B" --kinds apps
  expect_eq "$RC" 1 "restore exit code"
  said_what_failed
  grep -q "app net.demo.notes is not on the phone" "$LOG" || fail "no log line for the refused package"
  expect_eq "$(count_items "$WORK/target" app)" "$(($(count_items "$WORK/source" app) - 1))" \
    "apps installed beside it"
  ;;

*)
  fail "unknown row"
  ;;
esac
