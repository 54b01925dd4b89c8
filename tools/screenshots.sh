#!/usr/bin/env bash
# Saves a PNG of every screen and dialog of the desktop program.
#
#   tools/screenshots.sh [output folder]            (default: build/screenshots)
#
# The program runs on a simulated phone (the demo's small phone, generated
# afresh) under Xvfb, with the phone shown on USB through umockdev, and saves
# each screen as the flow reaches it: home with the phone prepared, menu,
# connection, authorisation, content for a backup and for a restore,
# progress, completion, the messaging-app countdown and the cancel question.
#
#   TARVELL_SCREENSHOTS_PLAYED=1 tools/screenshots.sh [folder]
# draws the screens and every button state offscreen without a phone instead.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVELL_BUILD_DIR:-$repo/build}"
out="${1:-$build/screenshots}"

if [[ ! -f "$build/build.ninja" && ! -f "$build/Makefile" ]]; then
  cmake -S "$repo" -B "$build" -G Ninja
fi
mkdir -p "$out"

if [[ "${TARVELL_SCREENSHOTS_PLAYED:-0}" == 1 ]]; then
  cmake --build "$build" --target tarvell-screenshots
  QT_QPA_PLATFORM=offscreen "$build/tools/tarvell-screenshots" "$out"
  # The artwork itself, as drawn by the generator.
  cp "$build"/assets/image/*.png "$out/" 2>/dev/null || true
  echo "Screenshots in $out"
  exit 0
fi

cmake --build "$build" --target tarvell_demo_screenshots phonesim
demo="$build/demo"
work="$build/screenshots-phone"
rm -rf "$work"
mkdir -p "$work/home/config" "$work/home/data"
"$build/phonesim/phonesim" gen --preset small --seed 1 "$work/phone" >/dev/null
"$build/phonesim/phonesim" umockdev "$work/phone" >"$work/phone.umockdev"
rm -rf "$out/backups"

status=0
PHONESIM_HOME="$work/phone" XDG_CONFIG_HOME="$work/home/config" \
XDG_DATA_HOME="$work/home/data" TARVELL_TEST_SMS_COUNTDOWN=20 QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x800x24" \
  umockdev-run -d "$work/phone.umockdev" -- \
  "$demo/tarvell-screenshots" --phone "$build/phonesim/phonesim" "$out" \
  >"$work/tour.log" 2>&1 || status=$?
grep -E '^(step: |the tour )|\.png$' "$work/tour.log" || true
# No adb server of the simulated phone outlives the tour.
PHONESIM_HOME="$work/phone" "$demo/adb" kill-server >/dev/null 2>&1 || true
rm -rf "$out/backups"
if [[ $status -ne 0 ]]; then
  echo "The screenshot tour failed (exit code $status); shots so far are in $out," >&2
  echo "the program's output in $work/tour.log" >&2
  exit $status
fi
echo "Screenshots in $out"
