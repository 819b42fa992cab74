#!/usr/bin/env bash
# Builds Qt 6 for Windows (x86-64, MinGW-w64) from Debian's own sources of
# the Qt the machine uses, with the host's Qt tools, once, into a cache
# folder outside the repository.  Later runs find it there and do nothing.
#
#   scripts/build-qt-mingw.sh            # into ~/.cache/zentrova/qt6-mingw
#   ZENTROVA_CACHE=/elsewhere scripts/build-qt-mingw.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${ZENTROVA_CACHE:-$HOME/.cache/zentrova}
prefix=$cache/qt6-mingw
src=$cache/src
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

if [ -f "$prefix/.built" ]; then
  echo "Qt for Windows is ready in $prefix"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
need=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev qt6-base-dev-tools
      qt6-svg-dev cmake ninja-build dpkg-dev xz-utils)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Source lines that mirror the machine's binary ones.
if ! grep -rqs '^Types: deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -q '^URIs: .*debian' "$f" && sed 's/^Types: deb$/Types: deb-src/' "$f" >> "$tmp" && echo >> "$tmp"
  done
  [ -f /etc/apt/sources.list ] && grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > "$tmp.list" || true
  [ -s "$tmp" ] && "${sudo_cmd[@]}" cp "$tmp" /etc/apt/sources.list.d/zentrova-src.sources
  [ -s "$tmp.list" ] && "${sudo_cmd[@]}" cp "$tmp.list" /etc/apt/sources.list.d/zentrova-src.list
  rm -f "$tmp" "$tmp.list"
  "${sudo_cmd[@]}" apt-get update
fi

version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/+.*//; s/-.*//')
mkdir -p "$src"
cd "$src"
fetch() { # package folder
  if [ ! -d "$2" ]; then
    ls "$1"_*.orig.tar.* >/dev/null 2>&1 || apt-get source --download-only "$1=$(dpkg-query -W -f='${Version}' "$1-dev" 2>/dev/null || true)" ||
      apt-get source --download-only "$1"
    tar xf "$(ls "$1"_*.orig.tar.* | head -n 1)"
  fi
}
fetch qt6-base "qtbase-everywhere-src-$version"

toolchain=$here/cmake/mingw-w64-x86_64.cmake
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DCMAKE_INSTALL_PREFIX="$prefix"
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF)

# qtbase: Core, Gui, Widgets, PrintSupport, Test, the windows platform plugin
# and the bundled image, font and regular-expression libraries.  The tablet
# feature is off: Debian's source leaves its Wintab headers out.
if [ ! -f "$prefix/.qtbase" ]; then
  cmake -S "qtbase-everywhere-src-$version" -B build-qtbase "${common[@]}" \
    -DFEATURE_tabletevent=OFF -DFEATURE_sql=OFF -DFEATURE_network=ON -DFEATURE_dbus=OFF \
    -DFEATURE_opengl=ON -DINPUT_opengl=desktop -DFEATURE_accessibility=ON \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_sql_sqlite=OFF -DFEATURE_concurrent=OFF -DFEATURE_zstd=OFF
  cmake --build build-qtbase -j "$jobs"
  cmake --install build-qtbase
  touch "$prefix/.qtbase"
fi

# qtsvg: when Debian's source of it can be had.
if [ ! -f "$prefix/.qtsvg" ]; then
  if fetch qt6-svg "qtsvg-everywhere-src-$version" 2>/dev/null; then
    cmake -S "qtsvg-everywhere-src-$version" -B build-qtsvg "${common[@]}" -DCMAKE_PREFIX_PATH="$prefix"
    cmake --build build-qtsvg -j "$jobs"
    cmake --install build-qtsvg
    touch "$prefix/.qtsvg"
  else
    echo "Debian's source of qt6-svg could not be fetched: Qt for Windows is built without Svg" \
         "(tried again at the next run)." >&2
    exit 0
  fi
fi
touch "$prefix/.built"
echo "Qt for Windows is ready in $prefix"
