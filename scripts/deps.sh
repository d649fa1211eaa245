#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run,
# when any of them is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config python3 ccache
  libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools
  fonts-ipafont-gothic xvfb xauth qt6-translations-l10n
  clang libclang-rt-14-dev
  nlohmann-json3-dev libtomlplusplus-dev zlib1g-dev libdeflate-dev libpugixml-dev qt6-charts-dev unzip
  chromium
  # Making and checking the Debian package.
  dpkg-dev file lintian
  # The Windows batch program: MinGW-w64, Debian's sources for its
  # libraries, and Wine to test it.
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev debian-archive-keyring wine wine64
)
# Node.js and npm drive the browser tests; a Node.js installed some other way is kept.
command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
