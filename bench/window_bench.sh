#!/usr/bin/env bash
# Times whole runs through the window (offscreen, from the click on the
# start button to the completion message) in high-speed and in normal mode,
# against the batch mode on the same corpus, and compares them with the
# targets: high-speed at most 1.3 x batch, normal at most 3 x batch.
#
#   bench/window_bench.sh [DECKS] [CARDS] [REPEATS]   (default 20000 3000 3)
set -euo pipefail
cd "$(dirname "$0")/.."
decks=${1:-20000}
cards=${2:-3000}
repeats=${3:-3}
corpus=bench/corpus-${decks}-${cards}

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target sormel-checker measured_run window_run >&2
if [ ! -d "$corpus" ]; then
  python3 bench/make_decks.py "$corpus" --decks "$decks" --cards "$cards" >&2
fi

# The median of the numbers read, one a line.
median() { sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
time_batch() {
  local start end
  start=$(date +%s.%N)
  build-bench/sormel-checker --batch "$corpus" >/dev/null
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.6f\n", e - s }'
}
export QT_QPA_PLATFORM=offscreen

batch=$(for _ in $(seq "$repeats"); do time_batch; done | median)
high=$(for _ in $(seq "$repeats"); do build-bench/bench/window_run "$corpus" --high-speed 2>/dev/null; done | median)
normal=$(for _ in $(seq "$repeats"); do build-bench/bench/window_run "$corpus" 2>/dev/null; done | median)

report() {  # name seconds limit-factor
  awk -v name="$1" -v t="$2" -v b="$batch" -v f="$3" 'BEGIN {
    ratio = t / b
    printf "%-22s %8.3f s  %5.2f x batch  (target <= %.1f x: %s)\n", name, t, ratio, f, ratio <= f ? "met" : "MISSED"
  }'
}
echo "corpus: $corpus, median of $repeats runs"
printf "%-22s %8.3f s\n" "batch mode" "$batch"
report "window, high-speed" "$high" 1.3
report "window, normal mode" "$normal" 3
