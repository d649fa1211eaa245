#!/usr/bin/env bash
# Renders the real window under a virtual X display after a run over the
# bundled sample decks, and saves it as a PNG (default: build/window.png).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/window.png}")

scripts/deps.sh >&2
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target window_run >&2

mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
  build/bench/window_run samples/decks --screenshot "$out" >/dev/null
echo "$out"
