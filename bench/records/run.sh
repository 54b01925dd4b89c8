#!/bin/sh
# Flush benchmark: generates the large simulated phone (50 000 messages,
# 10 000 contacts, 10 000 calls), then flushes it through the library and
# through a raw client. Usage, from the repository root after building the
# targets records_flush_bench and phonesim:
#   bench/records/run.sh [build folder] [rounds]
set -eu
build=${1:-build}
rounds=${2:-5}
work=$(mktemp -d)
trap '"$build/bench/records/adb" kill-server >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
"$build/phonesim/phonesim" gen --preset large --seed 1 "$work/phone"
export PHONESIM_HOME="$work/phone" HOME="$work/home" TARVELL_LOG_STDERR=0
mkdir -p "$HOME"
"$build/bench/records/records_flush_bench" "$rounds"
