#!/bin/sh
# Runs the channel benchmark against a freshly generated simulated phone, from
# a cold start (no adb server), then in loopback mode. Usage, from the
# repository root after building the targets channel_bench and phonesim:
#   bench/channel/run.sh [build folder]
set -eu
build=${1:-build}
work=$(mktemp -d)
trap '"$build/bench/channel/adb" kill-server >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
"$build/phonesim/phonesim" gen --preset tiny --seed 1 "$work/phone"
export PHONESIM_HOME="$work/phone" HOME="$work/home" TARVELL_LOG_STDERR=0
mkdir -p "$HOME"
shift $(( $# > 0 ? 1 : 0 ))
"$build/bench/channel/channel_bench" "$@"
"$build/bench/channel/channel_bench" --loopback
