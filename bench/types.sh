#!/usr/bin/env bash
# Measures deck typing by rules and suggested types (see bench/types.py) on
# metagames written by bench/make_metagame.py under bench/corpus-types/.
#
#   bench/types.sh [REPEATS]          (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORMEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target sormel-checker measured_run >&2
python3 bench/types.py build-bench/sormel-checker bench/corpus-types "${1:-3}"
