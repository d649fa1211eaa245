#!/usr/bin/env bash
# Measures the web report: its size, and how soon headless chromium shows
# it and sorts it, for 3,000 cards in 20 deck types (a --by-folder run of
# 2,000 decks, every column) and for 30,000 cards; keeps screenshots of each
# at desktop and phone width in bench/screenshots/.
#
#   bench/html_report.sh [REPEATS]       (default 5)
#
# BUILD_DIR chooses the build to use (default build-bench, made here).
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-5}
build=${BUILD_DIR:-build-bench}

scripts/deps.sh >&2
if [ "$build" = build-bench ]; then
  cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
  cmake --build build-bench -j "$(nproc)" --target sormel-checker measured_run >&2
fi
tests/browser/setup.sh "$build/browser" >&2

# 2,000 decks of a 3,000-card pool in 20 sub-folders, as hard links.
typed=bench/corpus-html-2000-3000-typed
if [ ! -f "$typed/.complete" ]; then
  rm -rf "$typed" "$typed.flat"
  python3 bench/make_decks.py "$typed.flat" --decks 2000 --cards 3000 --seed 1
  for t in $(seq -w 1 20); do mkdir -p "$typed/type$t"; done
  i=0
  for f in "$typed.flat"/*.txt; do
    ln "$f" "$typed/type$(printf '%02d' $(( i % 20 + 1 )))/"
    i=$((i + 1))
  done
  touch "$typed/.complete"
fi
# 30,000 distinct cards: 3,000 decks of ten cards each, with a few staples.
wide=bench/corpus-html-30000
if [ ! -f "$wide/.complete" ]; then
  rm -rf "$wide"
  mkdir -p "$wide"
  python3 - "$wide" <<'PY'
import sys
for deck in range(3000):
    lines = [f"{1 + (deck + k) % 3},W{deck * 10 + k:05d},カード{deck * 10 + k}" for k in range(10)]
    lines += [f"2,S{s:02d},定番{s}" for s in range(deck % 7)]
    with open(f"{sys.argv[1]}/deck{deck:04d}.txt", "w", encoding="utf-8", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")
PY
  touch "$wide/.complete"
fi

out=bench/screenshots
mkdir -p "$out"
"$build/sormel-checker" --batch "$typed" --by-folder --report "$out/types-3000.html" >/dev/null
"$build/sormel-checker" --batch "$wide" --report "$out/cards-30000.html" >/dev/null
node bench/html_report.mjs "$build/browser" "$repeats" "$out/types-3000.html" "$out/cards-30000.html"
