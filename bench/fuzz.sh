#!/usr/bin/env bash
# Builds the libFuzzer targets with AddressSanitizer and
# UndefinedBehaviorSanitizer (the whole engine instrumented) and runs each
# for SECONDS, starting from its seed corpus under fuzz/corpus/<target>/.
#
#   bench/fuzz.sh SECONDS [TARGET...]
#
# New corpus entries go to build-fuzz/corpus/<target>/, crash inputs and
# logs to build-fuzz/artifacts/<target>/. Exits non-zero when a target
# found a crash, a leak or a timeout.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(deck_file_fuzz numeric_fuzz csv_fuzz)

scripts/deps.sh >&2
build=build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$flags" -DSORMEL_FUZZ=ON -DSORMEL_BUILD_TESTS=OFF -DSORMEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" >&2

status=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  artifacts=$build/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  echo "== $target: $seconds s" >&2
  # The scratch corpus comes first, so that new inputs land there and the
  # committed seeds stay as they are.
  if ! "$build/fuzz/$target" "$corpus" "fuzz/corpus/$target" "${dict[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -artifact_prefix="$artifacts/" -print_final_stats=1 2>"$artifacts/log.txt"; then
    echo "!! $target found a problem; see $artifacts/" >&2
    grep -E "ERROR|check failed|SUMMARY" "$artifacts/log.txt" | head -20 >&2 || true
    status=1
  fi
  grep -E "^#[0-9]+.*DONE|stat::" "$artifacts/log.txt" >&2 || true
done
exit $status
