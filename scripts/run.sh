#!/usr/bin/env bash
# Builds a release version and starts the program with the given arguments.
# Without arguments it opens the window on the bundled sample decks; with no
# display to open it on, it tallies them in batch mode and prints the CSV.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh >&2
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DSORMEL_BUILD_TESTS=OFF -DSORMEL_BUILD_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc)" >&2

program=build-release/sormel-checker
if [ $# -gt 0 ]; then
  exec "$program" "$@"
elif [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" samples/decks
else
  echo "No display: tallying samples/decks in batch mode." >&2
  exec "$program" --batch samples/decks --encoding utf-8
fi
