#!/usr/bin/env bash
# Builds the program for release and packs it, into OUT_DIR (default: the
# repository's folder):
#   sormel-checker_VERSION_amd64.deb   the Debian package, checked by lintian
#
#   scripts/package.sh [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-.}")
mkdir -p "$out"

scripts/deps.sh >&2
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

# --- The Debian package -------------------------------------------------------
# A Release build of its own, with the flags Debian builds its packages with
# (stack protector, fortified functions, read-only relocations, bound now).
# In a subshell: Debian's build flags are for this build only, not the
# Windows cross-build below.
(
  deb_build=build-package
  eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
  cmake -S . -B "$deb_build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DSORMEL_BUILD_TESTS=OFF -DSORMEL_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS" -DCMAKE_C_FLAGS="$CFLAGS $CPPFLAGS" \
    -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" \
    -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS" >/dev/null
  cmake --build "$deb_build" -j "$(nproc)" >&2
  rm -rf "$deb_build/packages"
  cpack --config "$deb_build/CPackConfig.cmake" -G DEB -B "$deb_build/packages" >&2
  deb=$(find "$deb_build/packages" -maxdepth 1 -name '*.deb')
  # lintian's warnings and notes are shown; an error fails the package.
  lintian --info --fail-on error "$deb" >&2
  cp "$deb" "$out/"
  echo "$out/$(basename "$deb")"
)

# --- The zip for Windows ------------------------------------------------------
scripts/package_windows.sh "$out" >&2
ls "$out"/sormel-checker-*-windows-x64.zip
