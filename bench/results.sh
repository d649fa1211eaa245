#!/usr/bin/env bash
# Measures what deck results cost: the batch mode with every report (CSV,
# JSON, Excel) on 20,000 decks in 20 type folders, with and without a
# results file of all 20,000 decks. Target: at most 15 % more time with
# results. The corpus is written to CORPUS (default bench/corpus-results)
# once.
#
#   bench/results.sh [CORPUS] [REPEATS]
set -euo pipefail
cd "$(dirname "$0")/.."
corpus=${1:-bench/corpus-results}
repeats=${2:-7}

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target sormel-checker measured_run >&2

if [ ! -f "$corpus/.complete" ]; then
  rm -rf "$corpus"
  python3 bench/make_decks.py "$corpus/flat" --decks 20000 --cards 3000 --seed 1
  for t in $(seq -w 1 20); do mkdir -p "$corpus/typed/type$t"; done
  i=0
  for f in "$corpus"/flat/*.txt; do
    ln "$f" "$corpus/typed/type$(printf '%02d' $(( i % 20 + 1 )))/"
    i=$((i + 1))
  done
  python3 bench/make_results.py "$corpus/typed" "$corpus/results.csv"
  touch "$corpus/.complete"
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 bench/results.py "$repeats" build-bench/sormel-checker "$corpus/typed" "$corpus/results.csv" "$out"
