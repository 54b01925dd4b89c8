#!/usr/bin/env bash
# Sets up, builds and runs every test: unit, integration against the
# simulated phone, end to end, GUI (offscreen) and the viewer in Chromium.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVELL_BUILD_DIR:-$repo/build}"
bash "$repo/scripts/setup.sh"
# The phone tests listen on the companion's local port themselves; an adb
# server that forwards it (a real one, or the stand-in of an earlier run)
# makes them wait and fail.
if ss -Hltn 'sport = :25803' 2>/dev/null | grep -q .; then
  echo "warning: something already listens on port 25803, which the phone tests need;" \
    "it is usually an adb server with a forward: end it with 'adb kill-server'." >&2
fi
echo "== Running tests"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
