#!/usr/bin/env bash
# tarvell-cli and adb with Debian's real adb against the simulated phone
# served by "phonesim adbd". Usage: realadb.sh CASE
# (environment: PROGRAM_DIR with tarvell-cli and the real adb, STANDIN_DIR
# with tarvell-cli and the stand-in, PHONESIM, STANDIN_ADB, WORK_ROOT)
set -uo pipefail

# Own network namespace when the machine gives one: port 25803, the adb
# server's port and the abstract control sockets are then the case's alone.
if [[ -z "${REALADB_NETNS:-}" ]] && unshare -rn true 2>/dev/null; then
  exec unshare -rn env REALADB_NETNS=1 bash -c 'ip link set lo up && exec bash "$0" "$@"' \
    "${BASH_SOURCE[0]}" "$@"
fi

CASE="$1"
WORK="$WORK_ROOT/$CASE"
# shellcheck source=../lib/case.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/case.sh"
ADB="$PROGRAM_DIR/adb"

fail() {
  echo "FAIL [realadb $CASE]: $*" >&2
  for log in "$WORK"/adbd-*.log; do
    [[ -s "$log" ]] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}

# A port nothing listens on (bash connects; a refusal means free).
free_port() {
  local p
  for _ in $(seq 1 200); do
    p=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then
      echo "$p"
      return 0
    fi
  done
  return 1
}

export ANDROID_ADB_SERVER_PORT
ANDROID_ADB_SERVER_PORT=$(free_port) || fail "no free port for the adb server"
# adb keeps its key and settings under HOME (the case's own, see case.sh),
# and its server writes its log to $TMPDIR/adb.<uid>.log: the case's own too,
# as another user's log of that name cannot be opened and the server would not
# start.
export TMPDIR="$WORK/tmp"
mkdir -p "$TMPDIR"

DAEMON_PID=""
PORT=""
SERIAL=""
# Serves phone $1 as an adb device; sets PORT and SERIAL.
start_phone() {
  local name
  name=$(basename "$1")
  : >"$WORK/adbd-$name.port"
  "$PHONESIM" adbd --port 0 "$1" >"$WORK/adbd-$name.port" 2>"$WORK/adbd-$name.log" &
  DAEMON_PID=$!
  for _ in $(seq 1 200); do
    [[ -s "$WORK/adbd-$name.port" ]] && break
    sleep 0.02
  done
  PORT=$(head -n 1 "$WORK/adbd-$name.port")
  [[ -n "$PORT" ]] || fail "phonesim adbd did not start on $1"
  SERIAL="127.0.0.1:$PORT"
}
stop_phone() {
  [[ -n "$DAEMON_PID" ]] || return 0
  kill "$DAEMON_PID" 2>/dev/null
  wait "$DAEMON_PID" 2>/dev/null
  DAEMON_PID=""
}
# Ends the real adb server of this case (it outlives its clients), the
# daemon, and any stand-in server.
finish() {
  "$ADB" kill-server >/dev/null 2>&1
  stop_phone
  end_servers "$STANDIN_ADB"
}
trap finish EXIT

# Waits until the real adb server lists the served phone in state $1.
wait_listed() {
  "$ADB" start-server >/dev/null 2>&1
  for _ in $(seq 1 100); do
    "$ADB" devices 2>/dev/null | grep -q "^$SERIAL	$1\$" && return 0
    sleep 0.05
  done
  fail "adb devices does not list $SERIAL as $1: $("$ADB" devices 2>&1)"
}

# tarvell-cli with the real adb ($1 = phone, for its stand-in twin) and with
# the stand-in; output in $WORK/cli.out/.err, exit code in RC.
cli() {
  shift
  "$PROGRAM_DIR/tarvell-cli" "$@" >"$WORK/cli.out" 2>"$WORK/cli.err"
  RC=$?
}
cli_standin() {
  local phone="$1"
  shift
  mkdir -p "$WORK/home-standin"
  HOME="$WORK/home-standin" PHONESIM_HOME="$phone" "$STANDIN_DIR/tarvell-cli" "$@" \
    >"$WORK/cli.out" 2>"$WORK/cli.err"
  RC=$?
}
backup_in() { find "$1" -mindepth 1 -maxdepth 1 -type d | head -n 1; }

case "$CASE" in

# adb devices lists the phone as 127.0.0.1:PORT; tarvell-cli finds it after its
# own restart of the adb server (the daemon announces itself to every new
# server, as a phone on USB is found by one) and reads the same facts as
# through the stand-in. Unauthorised and unplugged phones are reported.
devices)
  gen tiny 1 "$WORK/phone"
  start_phone "$WORK/phone"
  wait_listed device
  "$ADB" devices >"$WORK/devices.out"
  expect_eq "$(head -n 1 "$WORK/devices.out")" "List of devices attached" "listing heading"
  "$ADB" -s "$SERIAL" get-state >"$WORK/state.out" 2>&1
  expect_eq "$(cat "$WORK/state.out")" "device" "get-state"
  cli "$WORK/phone" devices
  expect_eq "$RC" 0 "devices exit code ($(cat "$WORK/cli.err"))"
  grep -q "^Serial: *$SERIAL\$" "$WORK/cli.out" || fail "serial: $(cat "$WORK/cli.out")"
  grep -v '^Serial:' "$WORK/cli.out" >"$WORK/facts.real"
  stop_phone
  "$ADB" kill-server
  cli_standin "$WORK/phone" devices
  expect_eq "$RC" 0 "devices exit code through the stand-in"
  grep -v '^Serial:' "$WORK/cli.out" >"$WORK/facts.standin"
  diff "$WORK/facts.standin" "$WORK/facts.real" >/dev/null ||
    fail "device facts differ: $(diff "$WORK/facts.standin" "$WORK/facts.real")"
  PHONESIM_HOME="$WORK/phone" "$STANDIN_ADB" kill-server

  start_phone "$WORK/phone"
  wait_listed device
  # The phone takes the new state to its next connection, which it forces.
  fault "$WORK/phone" state unauthorized
  wait_listed unauthorized
  cli "$WORK/phone" devices
  expect_eq "$RC" 3 "unauthorised phone"
  grep -q "has not allowed this computer" "$WORK/cli.err" || fail "unauthorised message"
  fault "$WORK/phone" state device
  "$PHONESIM" unplug "$WORK/phone" >/dev/null
  cli "$WORK/phone" devices
  expect_eq "$RC" 3 "unplugged phone"
  grep -q "no phone found" "$WORK/cli.err" || fail "no-phone message"
  "$PHONESIM" plug "$WORK/phone" >/dev/null
  cli "$WORK/phone" devices
  expect_eq "$RC" 0 "plugged in again"
  ;;

# Backup of every kind through the real adb (preparation, device facts,
# photos and music pulled, apps pulled) gives the folder the stand-in gives;
# the restore onto an empty phone (photos pushed, apps installed) gives the
# phone the stand-in's restore gives.
round_trip)
  gen small 1 "$WORK/phone"
  gen small 1 "$WORK/phone-standin"
  gen empty 1 "$WORK/target"
  gen empty 1 "$WORK/target-standin"
  start_phone "$WORK/phone"
  cli "$WORK/phone" backup --kinds all --out "$OUT/real"
  expect_eq "$RC" 0 "backup exit code ($(tail -n 3 "$WORK/cli.err"))"
  grep -q "^Backup completed.$" "$WORK/cli.out" || fail "no completion line"
  stop_phone
  # Photos, music, videos and apps came through adb's copies.
  pulled=$(grep -c 'sync: 0 file(s) received, 1 sent' "$WORK/adbd-phone.log")
  (( pulled >= 30 + 8 + 3 + 10 )) || fail "only $pulled files were pulled through adb"
  cli_standin "$WORK/phone-standin" backup --kinds all --out "$OUT/standin"
  expect_eq "$RC" 0 "stand-in backup exit code"
  R=$(backup_in "$OUT/real")
  S=$(backup_in "$OUT/standin")
  expect_eq "$(find "$R/Photos/Gallery" -type f | wc -l)" 30 "photos copied"
  # Equal but for the companion's install time and the serial (adb's
  # 127.0.0.1:PORT here) with the identity drawn from it; their sums differ
  # with them, so each folder's sums are checked on their own.
  (cd "$R" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS of the real adb's backup"
  (cd "$S" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS of the stand-in's backup"
  diff -r -x SHA256SUMS -I '"\(Installtime\|Lastupdatetime\|Serial_Number\|ProductMD5\)":' "$S" "$R" \
    >"$WORK/folders.diff"
  expect_eq "$?" 0 "backup folders through the stand-in and the real adb: $(head -c 600 "$WORK/folders.diff")"

  start_phone "$WORK/target"
  cli "$WORK/target" restore "$R" --kinds all
  expect_eq "$RC" 0 "restore exit code ($(tail -n 3 "$WORK/cli.err"))"
  grep -q "^Restore Completed.$" "$WORK/cli.out" || fail "no restore completion line"
  stop_phone
  pushed=$(grep -c 'sync: 1 file(s) received, 0 sent' "$WORK/adbd-target.log")
  (( pushed >= 30 + 8 + 3 )) || fail "only $pushed files were pushed through adb"
  cli_standin "$WORK/target-standin" restore "$S" --kinds all
  expect_eq "$RC" 0 "stand-in restore exit code"
  "$PHONESIM" diff "$WORK/phone" "$WORK/target" >"$WORK/diff.real"
  "$PHONESIM" diff "$WORK/phone-standin" "$WORK/target-standin" >"$WORK/diff.standin"
  diff "$WORK/diff.standin" "$WORK/diff.real" >/dev/null ||
    fail "phonesim diff differs: $(diff "$WORK/diff.standin" "$WORK/diff.real" | head)"
  unexpected=$(grep -v '^changed app "[^"]*": permissions: "[^"]*" -> (missing)$' "$WORK/diff.real")
  expect_eq "$unexpected" "" "phonesim diff after the round trip"
  # A copy adb did not make falls back to the companion's stream and is
  # logged: as many through the real adb as through the stand-in.
  copy_faults() {
    cat "$1"/Documents/LogFiles/*.log | grep -cE 'did not arrive|refused|stalled|incomplete copy|could not be started'
  }
  expect_eq "$(copy_faults "$HOME")" "$(copy_faults "$WORK/home-standin")" "copies that adb did not make"
  "$PHONESIM" diff "$WORK/target" "$WORK/target-standin" >"$WORK/targets.diff"
  expect_eq "$?" 0 "restored phones differ: $(head -n 5 "$WORK/targets.diff")"
  ;;

# What the real adb prints for the commands the library sends, beside what
# the stand-in prints: the texts the library reads agree, and the known
# differences (exit codes of shell v1 streams, a missing remote file's
# message) stay what they are.
outputs)
  gen tiny 1 "$WORK/phone"
  start_phone "$WORK/phone"
  wait_listed device
  real() { "$ADB" -s "$SERIAL" "$@" >"$WORK/o.out" 2>"$WORK/o.err"; RC=$?; }
  SSERIAL=$(PHONESIM_HOME="$WORK/phone" "$STANDIN_ADB" get-serialno)
  standin() {
    PHONESIM_HOME="$WORK/phone" "$STANDIN_ADB" -s "$SSERIAL" "$@" >"$WORK/s.out" 2>"$WORK/s.err"
    SRC=$?
  }
  same_stdout() {
    cmp -s "$WORK/s.out" "$WORK/o.out" ||
      fail "$1: stand-in '$(cat "$WORK/s.out")' real '$(cat "$WORK/o.out")'"
  }
  for p in ro.build.version.release ro.product.model ro.product.manufacturer ro.build.PDA no.such; do
    real shell getprop "$p"
    standin shell getprop "$p"
    same_stdout "getprop $p"
  done
  real install "$PROGRAM_DIR/tarvell.apk"
  standin install "$PROGRAM_DIR/tarvell.apk"
  expect_eq "$RC/$SRC" "0/1" "install exit codes (the stand-in's phone had it already)"
  grep -qx "Performing Streamed Install" "$WORK/o.out" || fail "no streamed install line"
  grep -qx "Success" "$WORK/o.out" || fail "no Success line: $(cat "$WORK/o.out")"
  real install "$PROGRAM_DIR/tarvell.apk"
  expect_eq "$RC" 1 "install over an installed package"
  grep -q "^adb: failed to install .*Failure \[INSTALL_FAILED_ALREADY_EXISTS" "$WORK/o.err" ||
    fail "install failure on stderr: $(cat "$WORK/o.err")"
  standin install "$PROGRAM_DIR/tarvell.apk"
  diff <(sed 's/install [^:]*:/install F:/' "$WORK/s.err") \
    <(sed 's/install [^:]*:/install F:/' "$WORK/o.err") >/dev/null ||
    fail "install failure texts differ: $(cat "$WORK/s.err") / $(cat "$WORK/o.err")"
  real shell am start -n com.velmora.tarvell/com.velmora.tarvell.activity.ServiceActivity
  standin shell am start -n com.velmora.tarvell/com.velmora.tarvell.activity.ServiceActivity
  same_stdout "am start"
  real shell am force-stop com.velmora.tarvell
  expect_eq "$RC:$(cat "$WORK/o.out")" "0:" "am force-stop"
  real shell forward --remove-all
  expect_eq "$RC" 0 "unknown shell command: shell v1 streams carry no exit code"
  grep -q "forward: inaccessible or not found" "$WORK/o.out" ||
    fail "the phone's shell message comes on the stream: $(cat "$WORK/o.out")"
  printf 'abc\n' >"$WORK/f.txt"
  real push "$WORK/f.txt" /sdcard/Images/f.txt
  expect_eq "$RC" 0 "push"
  grep -q "1 file pushed" "$WORK/o.out" || fail "push line: $(cat "$WORK/o.out")"
  real pull /sdcard/Images/f.txt "$WORK/g.txt"
  expect_eq "$RC" 0 "pull"
  cmp -s "$WORK/f.txt" "$WORK/g.txt" || fail "pulled file differs"
  real pull /sdcard/Images/nothing "$WORK/h.txt"
  expect_eq "$RC" 1 "pull of a missing file"
  # adb 29 prints copy errors on standard output.
  grep -q "^adb: error: remote object '/sdcard/Images/nothing' does not exist" "$WORK/o.out" ||
    fail "missing-file message: $(cat "$WORK/o.out") / $(cat "$WORK/o.err")"
  real uninstall com.velmora.tarvell
  expect_eq "$RC:$(cat "$WORK/o.out")" "0:Success" "uninstall"
  real uninstall com.velmora.tarvell
  expect_eq "$(cat "$WORK/o.out")" "Failure [DELETE_FAILED_INTERNAL_ERROR]" "uninstall, not installed"
  # The same texts from both, the serial aside.
  norm() { sed -e "s/$SERIAL/SERIAL/g" -e "s/$SSERIAL/SERIAL/g" -e 's/^SERIAL  */SERIAL /' \
    -e 's/transport_id:[0-9]*/transport_id:N/' "$1"; }
  "$ADB" forward tcp:25803 tcp:20151 >"$WORK/o.out"
  expect_eq "$(cat "$WORK/o.out")" 25803 "forward prints the local port (the stand-in too: phonesim_adb)"
  for args in "devices" "devices -l" "-s NOPE shell getprop x" \
    "-s @S@ pull /sdcard/Images/nothing $WORK/h.txt" "-s @S@ push $WORK/nothing /sdcard/x"; do
    # shellcheck disable=SC2086
    "$ADB" ${args//@S@/$SERIAL} >"$WORK/o.out" 2>"$WORK/o.err"
    RC=$?
    # shellcheck disable=SC2086
    PHONESIM_HOME="$WORK/phone" "$STANDIN_ADB" ${args//@S@/$SSERIAL} >"$WORK/s.out" 2>"$WORK/s.err"
    SRC=$?
    expect_eq "$SRC" "$RC" "exit code of adb $args"
    # A missing remote file: "does not exist" from this adb for a phone
    # without stat_v2, "failed to stat remote object" for one with it.
    [[ "$args" == *pull* ]] && sed -i -E \
      "s/remote object '([^']*)' does not exist/failed to stat remote object '\\1': No such file or directory/" "$WORK/o.out"
    diff <(norm "$WORK/s.out") <(norm "$WORK/o.out") >/dev/null ||
      fail "adb $args, standard output: stand-in '$(cat "$WORK/s.out")' real '$(cat "$WORK/o.out")'"
    diff <(norm "$WORK/s.err") <(norm "$WORK/o.err") >/dev/null ||
      fail "adb $args, standard error: stand-in '$(cat "$WORK/s.err")' real '$(cat "$WORK/o.err")'"
  done
  ;;

# The daemon closes connections that send malformed packets and goes on
# serving; it serves no path outside the phone folder.
hostile)
  gen tiny 1 "$WORK/phone"
  start_phone "$WORK/phone"
  send_raw() { (exec 3<>"/dev/tcp/127.0.0.1/$PORT" && printf "$1" >&3 && timeout 2 cat <&3 >/dev/null) 2>/dev/null; }
  # Bad magic; unknown command; a payload length over the maximum.
  send_raw 'CNXN\x00\x00\x00\x01\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  send_raw 'XXXX\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xa7\xa7\xa7\xa7'
  send_raw 'CNXN\x01\x00\x00\x01\x00\x00\x10\x00\xff\xff\xff\x7f\x00\x00\x00\x00\xbc\xb1\xa7\xb1'
  # Version 0x01000000 sums payloads: an OPEN whose sum is wrong.
  send_raw 'CNXN\x00\x00\x00\x01\x00\x10\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xbc\xb1\xa7\xb1OPEN\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\xb0\xaf\xba\xb1x'
  kill -0 "$DAEMON_PID" 2>/dev/null || fail "the daemon ended on malformed packets"
  grep -q "closing the connection: bad magic" "$WORK/adbd-phone.log" || fail "bad magic not logged"
  grep -q "closing the connection: unknown command" "$WORK/adbd-phone.log" || fail "unknown command not logged"
  grep -q "closing the connection: payload over" "$WORK/adbd-phone.log" || fail "long payload not logged"
  grep -q "closing the connection: bad payload checksum" "$WORK/adbd-phone.log" || fail "bad sum not logged"
  wait_listed device
  ln -s /etc "$WORK/phone/sdcard/Download/etc"
  for remote in /etc/passwd /sdcard/../../etc/passwd /sdcard/Download/etc/passwd /data/../phone.json; do
    "$ADB" -s "$SERIAL" pull "$remote" "$WORK/x" >/dev/null 2>&1 && fail "served $remote"
  done
  [[ -e "$WORK/x" ]] && fail "a file outside the phone folder was copied out"
  printf 'x' >"$WORK/y"
  for remote in /etc/y /sdcard/../y /sdcard/Download/etc/y; do
    "$ADB" -s "$SERIAL" push "$WORK/y" "$remote" >/dev/null 2>&1 && fail "wrote $remote"
  done
  [[ -e /etc/y || -e "$WORK/phone/y" ]] && fail "a file outside the phone's folders was written"
  "$ADB" -s "$SERIAL" shell getprop ro.product.model >"$WORK/o.out"
  expect_eq "$(cat "$WORK/o.out")" "Simulated tiny" "served after the hostile input"
  ;;

# USB detection and the adb listing of one phone: umockdev shows the phone
# with its own serial, adb lists it as 127.0.0.1:PORT. The library never
# matches the two (the USB list says that a phone is there, row 0 of the adb
# listing which one is used), so both levels find it and the facts come from
# the adb serial.
usb)
  [[ -x "${UMOCKDEV_RUN:-}" ]] || { echo "umockdev-run missing: the usb case is skipped"; exit 0; }
  gen tiny 1 "$WORK/phone"
  "$PHONESIM" umockdev "$WORK/phone" >"$WORK/phone.umockdev"
  start_phone "$WORK/phone"
  "$UMOCKDEV_RUN" -d "$WORK/phone.umockdev" -- "$PROGRAM_DIR/realadb_usb_probe" >"$WORK/probe.out" 2>"$WORK/probe.err"
  expect_eq "$(cat "$WORK/probe.out")" "usb=1 debug=0 detected=0 facts=0 serial=$SERIAL" "both levels"
  # Without the USB device the adb level alone still finds the phone.
  "$PROGRAM_DIR/realadb_usb_probe" >"$WORK/probe.out" 2>"$WORK/probe.err"
  expect_eq "$(cat "$WORK/probe.out")" "usb=0 debug=0 detected=0 facts=0 serial=$SERIAL" "adb level only"
  ;;

*)
  fail "unknown case"
  ;;
esac
exit 0
