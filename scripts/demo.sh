#!/usr/bin/env bash
# Sets up, builds and runs the main job: tarvell-cli backs up a simulated phone.
#
# build/demo is a program folder like the one a user installs (tarvell-cli,
# libtarvellkit, Template, DefImage.png) with the simulated phone's adb
# stand-in in place of the real adb. The demo phone and its backups live
# there too; the demo keeps its settings and backup list in build/demo/home,
# away from yours. Running it again makes a new backup beside the old ones.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVELL_BUILD_DIR:-$repo/build}"
bash "$repo/scripts/setup.sh"

demo="$build/demo"
cmake --build "$build" --target tarvell_demo_folder phonesim >/dev/null

phone="$demo/phone"
rm -rf "$phone"
"$build/phonesim/phonesim" gen --preset small --seed 1 "$phone"

export PHONESIM_HOME="$phone"
export XDG_CONFIG_HOME="$demo/home/config"
export XDG_DATA_HOME="$demo/home/data"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

# Like adb's own server, the stand-in's server outlives the commands that
# started it, and it keeps listening on the companion's forwarded port
# (25803), which the tests need for their own phones: end it with the demo.
trap '"$demo/adb" kill-server >/dev/null 2>&1 || true' EXIT

echo "== Backing up the simulated phone with tarvell-cli"
log="$demo/last-backup.txt"
status=0
"$demo/tarvell-cli" backup --out "$demo/backups" | tee "$log" || status=$?
folder="$(sed -n 's/^Backup folder: //p' "$log" | tail -n 1)"
if [[ -z "$folder" ]]; then
  echo "The backup did not finish (exit code $status)." >&2
  exit 1
fi
echo
echo "Backup folder: $folder"
if [[ -f "$folder/index.html" ]]; then
  echo "Viewer (open it in a browser): $folder/index.html"
fi
exit "$status"
