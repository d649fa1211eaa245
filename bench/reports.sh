#!/usr/bin/env bash
# Measures deck types (sub-folders) and reports against the floor, on
# metagames written by bench/make_typed.py under bench/: 20 types of
# 20,000 decks (3,000 cards), 1,000 types of 20 decks each, and 1,000 types
# of 100,000 decks. See bench/reports.py for the figures and targets.
#
#   bench/reports.sh [REPEATS]          (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-5}

scripts/deps.sh >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
targets=(sormel-checker floor_read measured_run)
# The bare floor, where the bench has it.
if grep -q 'floor_bare' bench/CMakeLists.txt; then targets+=(floor_bare); fi
cmake --build build-bench -j "$(nproc)" --target "${targets[@]}" >&2

python3 bench/make_typed.py bench/corpus-typed-20-20000 --types 20 --decks 20000 --cards 3000 --seed 1
python3 bench/make_typed.py bench/corpus-typed-1000-20000 --types 1000 --decks 20000 --seed 3
python3 bench/make_typed.py bench/corpus-typed-1000-100000 --types 1000 --decks 100000 --seed 2

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/e20" "$out/e1000"
python3 bench/reports.py "$repeats" build-bench bench/corpus-typed-20-20000 bench/corpus-typed-1000-20000 \
    bench/corpus-typed-1000-100000 "$out"
