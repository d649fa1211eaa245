#!/usr/bin/env bash
# Builds the project and runs every test through CTest: once in a normal
# build and once with AddressSanitizer and UndefinedBehaviorSanitizer, where
# any report fails the test that caused it. The tests of the run, its
# read-ahead threads and the reports written side by side run once more with
# ThreadSanitizer.
# The normal build is also packed as the Debian package, which is installed,
# run and removed again (as root only).
# The batch mode is cross-built for Windows and tested under Wine against
# the normal build's outputs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Compiled objects are reused from earlier runs where ccache is installed.
# Paths are hashed relative to the checkout, so that another checkout of the
# project finds them too; precompiled headers are cached as well.
cache=()
if command -v ccache >/dev/null; then
  cache=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
fi

echo "== Normal build"
# Optimised as released, with line tables (enough for a backtrace) rather
# than full debugging information, which takes a fifth of the build.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DSORMEL_WERROR=ON "${cache[@]}" >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Debian package (made from the normal build, installed, run and removed)"
tests/package/deb_package_test.sh build
echo "== Windows batch mode (MinGW, Wine)"
scripts/windows/test.sh build/sormel-checker build-windows

echo "== Sanitizer build (address, undefined behaviour)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSORMEL_SANITIZE=ON -DSORMEL_BUILD_BENCH=OFF "${cache[@]}" >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=abort_on_error=0:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== Thread sanitizer build (read-ahead, run, analysis and side-by-side report tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSORMEL_SANITIZE_THREADS=ON -DSORMEL_BUILD_BENCH=OFF \
  "${cache[@]}" >/dev/null
cmake --build build-tsan -j "$jobs" --target thread_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/tests/thread_tests --gtest_brief=1
