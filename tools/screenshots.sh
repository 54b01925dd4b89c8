#!/usr/bin/env bash
# Saves a PNG of every screen of the desktop program into a folder, drawn
# offscreen (no display, no phone), for reviewing the artwork and layout.
#
#   tools/screenshots.sh [output folder]     (default: build/screenshots)
#
# Under Xvfb instead of the offscreen platform: TARVELL_SCREENSHOTS_XVFB=1.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVELL_BUILD_DIR:-$repo/build}"
out="${1:-$build/screenshots}"

if [[ ! -f "$build/build.ninja" && ! -f "$build/Makefile" ]]; then
  cmake -S "$repo" -B "$build" -G Ninja
fi
cmake --build "$build" --target tarvell-screenshots

mkdir -p "$out"
if [[ "${TARVELL_SCREENSHOTS_XVFB:-0}" == 1 ]]; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build/tools/tarvell-screenshots" "$out"
else
  QT_QPA_PLATFORM=offscreen "$build/tools/tarvell-screenshots" "$out"
fi
# The artwork itself, as drawn by the generator.
cp "$build"/app/ui/image/*.png "$out/" 2>/dev/null || true
echo "Screenshots in $out"
