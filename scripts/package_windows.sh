#!/usr/bin/env bash
# Makes sormel-checker-VERSION-windows-x64.zip in OUT (default: the current
# folder): the Windows batch program cross-built by scripts/windows/build.sh,
# the README and the licence.
#
#   scripts/package_windows.sh [OUT]
set -euo pipefail
out=$(realpath -m "${1:-.}")
cd "$(dirname "$0")/.."
build=build-windows
scripts/windows/build.sh "$build"
cmake --build "$build/program" -j 2 --target sormel-checker
mkdir -p "$out"
(cd "$build/program" && cpack -G ZIP -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls "$out"/sormel-checker-*-windows-x64.zip
