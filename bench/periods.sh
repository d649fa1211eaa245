#!/usr/bin/env bash
# Measures --periods: 12 periods of 20,000 decks (3,000 cards each) against
# the same 240,000 decks read as one folder, both with every report.
#
#   bench/periods.sh [REPEATS] [CORPUS]
#
# CORPUS (default bench/corpus-periods) receives periods/2026-01 … 2026-12
# and whole/, the same files as hard links. SORMEL_CHECKER names a program
# to measure instead of building build-bench/sormel-checker.
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}
corpus=${2:-bench/corpus-periods}

checker=${SORMEL_CHECKER:-}
if [ -z "$checker" ]; then
  scripts/deps.sh >&2
  cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
  cmake --build build-bench -j "$(nproc)" --target sormel-checker measured_run >&2
  checker=build-bench/sormel-checker
fi

if [ ! -f "$corpus/.complete" ]; then
  rm -rf "$corpus"
  for month in $(seq -w 1 12); do
    python3 bench/make_decks.py "$corpus/periods/2026-$month" --decks 20000 --cards 3000 --seed "$((10#$month))"
  done
  python3 - "$corpus" <<'PY'
import os, sys
corpus = sys.argv[1]
whole = os.path.join(corpus, "whole")
os.makedirs(whole)
for period in sorted(os.listdir(os.path.join(corpus, "periods"))):
    folder = os.path.join(corpus, "periods", period)
    for name in os.listdir(folder):
        os.link(os.path.join(folder, name), os.path.join(whole, f"{period}-{name}"))
PY
  touch "$corpus/.complete"
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 bench/periods.py "$repeats" "$checker" "$corpus/periods" "$corpus/whole" "$out"
