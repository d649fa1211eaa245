#!/usr/bin/env bash
# Cross-builds the libraries the Windows program links statically (zlib,
# libdeflate, pugixml) from Debian's own source packages, and GoogleTest
# from the sources Debian installs, into PREFIX; the header-only libraries
# (nlohmann-json, toml++) are put beside them. Nothing is built again when
# PREFIX already holds the libraries.
#
#   scripts/windows/build_libraries.sh WORK_FOLDER PREFIX
set -euo pipefail
work=$(realpath -m "$1") prefix=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
stamp="$prefix/.built-v4"

# The headers of the header-only libraries, and the build descriptions that
# find them, without the host's include folder (whose system headers would
# be taken before MinGW's).
headers() {
    mkdir -p "$prefix/include" "$prefix/share/cmake" "$prefix/lib/pkgconfig"
    rm -rf "$prefix/include/nlohmann" "$prefix/include/toml++" "$prefix/share/cmake/nlohmann_json"
    cp -r /usr/include/nlohmann /usr/include/toml++ "$prefix/include/"
    cp -r /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
    cat >"$prefix/lib/pkgconfig/tomlplusplus.pc" <<PC
prefix=$prefix
includedir=\${prefix}/include
Name: tomlplusplus
Description: TOML parser, header-only
Version: $(dpkg-query -W -f='${Version}' libtomlplusplus-dev | cut -d- -f1)
Cflags: -I\${includedir} -DTOML_HEADER_ONLY=1
PC
}
[ -f "$stamp" ] && exit 0
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src" "$prefix"
host=x86_64-w64-mingw32
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

# The machine's apt knows no source packages and is left as it is: a
# configuration of our own lists Debian's sources.
cat >"$work/apt/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
SOURCES
apt_options=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
             -o Dir::State::Status=/var/lib/dpkg/status -o APT::Sandbox::User=root -o Debug::NoLocking=1)
apt-get "${apt_options[@]}" -qq update
(cd "$work/src" && apt-get "${apt_options[@]}" -qq source zlib libdeflate pugixml >/dev/null)

cross=(-DCMAKE_TOOLCHAIN_FILE="$here/mingw-toolchain.cmake" -DCMAKE_BUILD_TYPE=Release
       -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_C_FLAGS=-O2 -G Ninja)
[ -n "${CCACHE_DISABLE:-}" ] || ! command -v ccache >/dev/null || cross+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# zlib: the static library only.
zlib=$(find "$work/src" -maxdepth 1 -type d -name 'zlib-*' | head -1)
(cd "$zlib" && CHOST=$host CC="$host-gcc-posix" AR="$host-ar" RANLIB="$host-ranlib" CFLAGS=-O2 \
     ./configure --static >/dev/null && make -s -j "$jobs" libz.a >/dev/null)
install -D -m 644 "$zlib/libz.a" "$prefix/lib/libz.a"
install -D -m 644 "$zlib/zlib.h" "$prefix/include/zlib.h"
install -m 644 "$zlib/zconf.h" "$prefix/include/zconf.h"

# libdeflate: the static library only (its Makefile names it so for Windows).
libdeflate=$(find "$work/src" -maxdepth 1 -type d -name 'libdeflate-*' | head -1)
make -s -C "$libdeflate" -j "$jobs" CC="$host-gcc-posix" AR="$host-ar" CFLAGS=-O2 libdeflatestatic.lib >/dev/null
install -D -m 644 "$libdeflate/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
install -m 644 "$libdeflate/libdeflate.h" "$prefix/include/libdeflate.h"

pugixml=$(find "$work/src" -maxdepth 1 -type d -name 'pugixml-*' | head -1)
cmake -S "$pugixml" -B "$work/build-pugixml" "${cross[@]}" -DCMAKE_CXX_FLAGS=-O2 -DBUILD_SHARED_LIBS=OFF \
      -DPUGIXML_BUILD_TESTS=OFF >/dev/null
cmake --build "$work/build-pugixml" -j "$jobs" >/dev/null
cmake --install "$work/build-pugixml" >/dev/null

cmake -S /usr/src/googletest -B "$work/build-gtest" "${cross[@]}" -DCMAKE_CXX_FLAGS=-O1 -DBUILD_GMOCK=OFF \
      -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF >/dev/null
cmake --build "$work/build-gtest" -j "$jobs" >/dev/null
cmake --install "$work/build-gtest" >/dev/null
rm -rf "$work"
headers
touch "$stamp"
