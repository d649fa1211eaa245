#!/usr/bin/env bash
# Measures the batch mode against a floor program that only opens, reads and
# closes the same deck files, on synthetic corpora of 20,000 decks with a
# card pool of 3,000 and of 30,000 cards.
#
#   bench/run.sh [REPEATS]
#
# Targets: batch wall time at most 1.5 x the floor, peak memory under 40 MiB,
# and the 10 x larger card pool costing at most 1.3 x the time.
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-5}

scripts/deps.sh >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target sormel-checker floor_read >&2

for cards in 3000 30000; do
  corpus=bench/corpus-20000-$cards
  if [ ! -f "$corpus/.complete" ]; then
    echo "Writing $corpus ..." >&2
    rm -rf "$corpus"
    python3 bench/make_decks.py "$corpus" --decks 20000 --cards "$cards" --seed 1
    touch "$corpus/.complete"
  fi
done

python3 bench/measure.py "$repeats" \
  build-bench/bench/floor_read build-bench/sormel-checker \
  bench/corpus-20000-3000 bench/corpus-20000-30000
