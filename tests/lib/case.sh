# Ground shared by the end-to-end and fault cases, sourced once WORK is set:
# a fresh work folder with its own home (catalogue, settings, logs), UTC
# times, and no adb server of the case's phones left running when it ends.
# (environment: PROGRAM_DIR, PHONESIM; the sourcing script defines fail)
rm -rf "$WORK"
mkdir -p "$WORK/home"
export HOME="$WORK/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_DOCUMENTS_DIR
export TZ=UTC
CLI="$PROGRAM_DIR/tarvell-cli"
OUT="$WORK/out"

# A server keeps its forward of port 25803, which the next test of the run
# needs for itself. Ends the server of every phone of the case with adb $1
# (the stand-in, PROGRAM_DIR/adb, by default).
end_servers() {
  local adb="${1:-$PROGRAM_DIR/adb}" json
  while IFS= read -r json; do
    PHONESIM_HOME="$(dirname "$json")" "$adb" kill-server >/dev/null 2>&1
  done < <(find "$WORK" -maxdepth 3 -name phone.json 2>/dev/null)
  return 0
}
trap end_servers EXIT

expect_eq() { [[ "$1" == "$2" ]] || fail "$3: expected '$2', got '$1'"; }
gen() { "$PHONESIM" gen --preset "$1" --seed "$2" "$3" >/dev/null || fail "phonesim gen $*"; }
fault() { "$PHONESIM" fault "$1" "$2" "$3" >/dev/null || fail "phonesim fault $*"; }
