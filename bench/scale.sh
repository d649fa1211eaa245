#!/usr/bin/env bash
# Measures the batch mode on 1,000,000 decks in one folder against the
# 20,000-deck corpus it is made of: the 20,000 decks of 3,000 cards copied
# 50 times under other names (about 4 GB on disk; the page cache must hold
# it for a warm figure); then both by deck type, their files linked into
# 1,000 sub-folders. The large folders are kept for another run; remove
# them by hand.
#
#   bench/scale.sh [REPEATS] [LARGE_FOLDER]     (defaults 3, bench/corpus-1000000-3000)
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}
large=${2:-bench/corpus-1000000-3000}

scripts/deps.sh >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target sormel-checker measured_run >&2

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
# The same files as hard links in 1,000 type sub-folders, in turn.
for folder in "$small" "$large"; do
  if [ ! -f "$folder-t1000/.complete" ]; then
    rm -rf "$folder-t1000"
    python3 - "$folder" "$folder-t1000" <<'PY'
import os, sys
src, dst = sys.argv[1:3]
names = sorted(n for n in os.listdir(src) if n.endswith(".txt"))
for t in range(1000):
    os.makedirs(os.path.join(dst, f"type{t:04d}"), exist_ok=True)
for i, name in enumerate(names):
    os.link(os.path.join(src, name), os.path.join(dst, f"type{i % 1000:04d}", name))
PY
    touch "$folder-t1000/.complete"
  fi
done
python3 bench/scale.py "$repeats" build-bench "$small" "$large" "$small-t1000" "$large-t1000"
