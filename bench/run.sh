#!/usr/bin/env bash
# Measures the batch mode and the window against a floor program that only
# opens, reads and closes the same deck files one by one, on synthetic
# corpora of 20,000 decks: a card pool of 3,000 cards in the program's own
# format, the same decks as plain text lists, .dek, CSV exports and .cod files, and a pool
# of 30,000 cards. Warm page cache, then cold when run as root.
#
#   bench/run.sh [REPEATS]          (default 7)
#
# The batch mode writes its CSV to standard output (/dev/null); one row
# shows it with --output as well.
# A second, bare floor lists, sorts and reads the files with nothing of the
# program's own; the batch should take at most 1.0 x it warm, 0.5 x cold.
# Targets, against the floor: batch at most 1.0 x warm (and 0.75 x cold),
# plain text lists, CSV exports and .cod files at most 2 x, .dek files at most 1.5 x, the window at most 1.3 x in high-speed and
# 2.5 x in normal mode; peak memory under 40 MiB; the 10 x larger card pool
# costing at most 1.3 x the time. SORMEL_READ_THREADS, when set, chooses
# the batch mode's number of read-ahead threads.
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-7}

scripts/deps.sh >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target sormel-checker measured_run floor_read floor_bare window_run >&2

corpus() {  # folder, then make_decks.py's options
  local folder=$1
  shift
  if [ ! -f "$folder/.complete" ]; then
    echo "Writing $folder ..." >&2
    rm -rf "$folder"
    python3 bench/make_decks.py "$folder" --decks 20000 --seed 1 "$@"
    touch "$folder/.complete"
  fi
}
corpus bench/corpus-20000-3000 --cards 3000
corpus bench/corpus-20000-30000 --cards 30000
corpus bench/corpus-20000-3000-list --cards 3000 --format list
corpus bench/corpus-20000-3000-dek --cards 3000 --format dek
corpus bench/corpus-20000-3000-csv --cards 3000 --format csv
corpus bench/corpus-20000-3000-cod --cards 3000 --format cod

python3 bench/measure.py "$repeats" build-bench bench
