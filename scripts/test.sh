#!/usr/bin/env bash
# Sets up, builds and runs every test: unit, integration against the
# simulated phone, end to end, GUI (offscreen) and the viewer in Chromium.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVELL_BUILD_DIR:-$repo/build}"
bash "$repo/scripts/setup.sh"
echo "== Running tests"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
