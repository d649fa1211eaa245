#!/usr/bin/env bash
# Measures the batch mode on 1,000,000 decks in one folder against the
# 20,000-deck corpus it is made of: the 20,000 decks of 3,000 cards copied
# 50 times under other names (about 4 GB on disk; the page cache must hold
# it for a warm figure). The large folder is kept for another run; remove
# it by hand.
#
#   bench/scale.sh [REPEATS] [LARGE_FOLDER]     (defaults 3, bench/corpus-1000000-3000)
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}
large=${2:-bench/corpus-1000000-3000}

scripts/deps.sh >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target sormel-checker >&2

small=bench/corpus-20000-3000
if [ ! -f "$small/.complete" ]; then
  rm -rf "$small"
  python3 bench/make_decks.py "$small" --decks 20000 --cards 3000 --seed 1
  touch "$small/.complete"
fi
if [ ! -f "$large/.complete" ]; then
  echo "Writing $large ..." >&2
  rm -rf "$large"
  mkdir -p "$large"
  python3 - "$small" "$large" <<'PY'
import os, shutil, sys
small, large = sys.argv[1:3]
names = sorted(n for n in os.listdir(small) if n.endswith(".txt"))
for copy in range(50):
    for name in names:
        shutil.copyfile(os.path.join(small, name), os.path.join(large, f"c{copy:02d}-{name}"))
PY
  touch "$large/.complete"
fi
python3 bench/scale.py "$repeats" build-bench "$small" "$large"
