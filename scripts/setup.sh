#!/usr/bin/env bash
# Installs everything Tarvell needs on Debian 12 and builds it into build/.
# Idempotent and non-interactive: packages already present are not fetched
# again, and a second run only rebuilds what changed.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVELL_BUILD_DIR:-$repo/build}"

packages=(
  build-essential cmake ninja-build pkg-config git clang-format
  qt6-base-dev qt6-svg-dev libcjson-dev libudev-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  umockdev libumockdev-dev
  adb
  xvfb xauth chromium
  iproute2 util-linux
  python3 python3-vobject
  clang libclang-rt-14-dev
  fonts-dejavu-core fonts-noto-color-emoji
  libsmali-java aapt zipalign apksigner android-framework-res dexdump
  enjarify openjdk-17-jdk-headless
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# Node.js and npm drive the viewer's browser tests; any Node.js 18 or later will
# do, so Debian's packages are only added when no node/npm is on PATH.
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)
if ((${#missing[@]})); then
  echo "== Installing Debian packages: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Browser tests of the viewer use playwright-core driving Debian's Chromium.
if [[ -f "$repo/tests/viewer/package.json" ]]; then
  if ! command -v npm >/dev/null 2>&1; then
    echo "npm is missing: install Node.js 18 or later (Debian package nodejs and npm)" >&2
    exit 1
  fi
  if [[ ! -d "$repo/tests/viewer/node_modules/playwright-core" ]]; then
    echo "== Installing npm modules for the viewer tests"
    (cd "$repo/tests/viewer" && npm install --no-audit --no-fund --loglevel=error)
  fi
fi

echo "== Building into $build"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TARVELL_CMAKE_ARGS:-}
cmake --build "$build" -j"$(nproc)"
