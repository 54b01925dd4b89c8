#!/bin/sh
# Finding and preparing the simulated phone, step by step: runs
# bench_backup_prepare (see its header) against a freshly generated phone.
# Usage, from the repository root after building the targets
# bench_backup_prepare and phonesim:
#   bench/backup/prepare.sh [BUILD_DIR] [ROUNDS]
set -eu
build=$(cd "${1:-build}" && pwd)
rounds=${2:-5}
work=$(mktemp -d)
trap '"$build/bench-phone/prepare/adb" kill-server >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
"$build/phonesim/phonesim" gen --preset tiny --seed 1 "$work/phone" >/dev/null
export PHONESIM_HOME="$work/phone" HOME="$work/home" TARVELL_LOG_STDERR=${TARVELL_LOG_STDERR:-0}
mkdir -p "$HOME"
"$build/bench-phone/prepare/bench_backup_prepare" "$rounds"
