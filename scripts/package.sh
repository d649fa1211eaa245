#!/usr/bin/env bash
# Builds the packages into OUT (default: packages): the zip for Windows.
#
#   scripts/package.sh [OUT]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-packages}")
scripts/deps.sh
# Windows: the batch program, cross-built.
scripts/package_windows.sh "$out"
