#!/usr/bin/env bash
# Measures the batch mode with reports, deck types (20 sub-folders) and a
# comparison against the floor, on the 20,000-deck, 3,000-card corpus.
#
#   bench/reports.sh [REPEATS]
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-7}

scripts/deps.sh >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target sormel-checker floor_read >&2

corpus=bench/corpus-20000-3000
if [ ! -f "$corpus/.complete" ]; then
  rm -rf "$corpus"
  python3 bench/make_decks.py "$corpus" --decks 20000 --cards 3000 --seed 1
  touch "$corpus/.complete"
fi
# The same decks in 20 sub-folders, as hard links.
typed=bench/corpus-20000-3000-typed
if [ ! -f "$typed/.complete" ]; then
  rm -rf "$typed"
  for t in $(seq -w 1 20); do mkdir -p "$typed/type$t"; done
  i=0
  for f in "$corpus"/*.txt; do
    t=$(printf '%02d' $(( i % 20 + 1 )))
    ln "$f" "$typed/type$t/"
    i=$((i + 1))
  done
  touch "$typed/.complete"
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 bench/reports.py "$repeats" build-bench/bench/floor_read build-bench/sormel-checker "$corpus" "$typed" "$out"
