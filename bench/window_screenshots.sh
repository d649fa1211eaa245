#!/usr/bin/env bash
# Screenshots of the analysis window under Xvfb, for looking at what a user
# sees: the default size and 640 px wide, with and without a baseline, at
# scale 1 and 2, each tab and the chart at top 10, 20 and 50.
#
#   bench/window_screenshots.sh DECKS_DIR BASELINE_DIR [OUT_DIR]   (default bench/screenshots/window)
set -euo pipefail
cd "$(dirname "$0")/.."
decks=$(realpath "$1")
baseline=$(realpath "$2")
out=$(realpath -m "${3:-bench/screenshots/window}")
build=${BUILD_DIR:-build}
cmake --build "$build" --target analysis_window_bench >&2
shoot() {  # name, then the bench's options
  local name=$1
  shift
  mkdir -p "$out/$name"
  (cd /tmp && xvfb-run -a -s "-screen 0 2600x1800x24" "$OLDPWD/$build/bench/analysis_window_bench" "$decks" \
     --screenshots "$out/$name" "$@" >/dev/null)
  echo "$out/$name" >&2
}
shoot default
shoot narrow --width 640
shoot baseline --baseline "$baseline"
QT_SCALE_FACTOR=2 shoot scale2 --baseline "$baseline"
