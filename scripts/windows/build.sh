#!/usr/bin/env bash
# Cross-builds the Windows batch program and its engine, analysis and export
# tests into BUILD (default build-windows): the libraries first, cached in
# BUILD/libs, then the program with MinGW-w64.
#
#   scripts/windows/build.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath -m "${1:-build-windows}")
scripts/windows/build_libraries.sh "$build/libs-work" "$build/libs"
launcher=()
[ -n "${CCACHE_DISABLE:-}" ] || ! command -v ccache >/dev/null ||
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
PKG_CONFIG_LIBDIR="$build/libs/lib/pkgconfig" PKG_CONFIG_SYSROOT_DIR= \
cmake -S . -B "$build/program" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/windows/mingw-toolchain.cmake" \
      -DSORMEL_WINDOWS_LIBS="$build/libs" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O1 \
      -DSORMEL_WERROR=ON -DSORMEL_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build/program" -j 2 --target sormel-checker engine_tests
