#!/usr/bin/env bash
# The Windows build (make windows): Qt for Windows (built once into the
# cache by scripts/build-qt-mingw.sh), both programs cross-built with
# MinGW-w64 into build-windows/, and there
#   Zentrova-4.0-windows-x64.zip  the portable copy: unzip and run
#   Zentrova-4.0-setup.exe        the installer (NSIS, per user, no administrator)
#   scripts/windows.sh [--tests]   (--tests also builds the test programs)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD:-$here/build-windows}
qt=${ZENTROVA_QT_WINDOWS:-${ZENTROVA_CACHE:-$HOME/.cache/zentrova}/qt6-mingw}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
tests=OFF
[ "${1:-}" = "--tests" ] && tests=ON

# What the packages need beyond the Qt build's own tools.
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
need=(nsis zip python3 g++-mingw-w64-x86-64-posix cmake ninja-build qt6-svg-dev libboost-dev)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

ZENTROVA_CACHE=${ZENTROVA_CACHE:-$HOME/.cache/zentrova} bash "$here/scripts/build-qt-mingw.sh"
[ -f "$qt/.qtbase" ] || { echo "Qt for Windows is not in $qt" >&2; exit 1; }

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Qt's own toolchain file, which finds the host's Qt tools, over ours.
toolchain=$here/cmake/mingw-w64-x86_64.cmake
qt_toolchain=$qt/lib/cmake/Qt6/qt.toolchain.cmake
chain=()
if [ -f "$qt_toolchain" ]; then
  chain=(-DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain")
  toolchain=$qt_toolchain
fi
# A build folder made with another toolchain file is configured afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qx "CMAKE_TOOLCHAIN_FILE:[A-Z]*=$toolchain" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${chain[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DZENTROVA_QT_WINDOWS="$qt" -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DZENTROVA_GUI=ON -DZENTROVA_TESTS=$tests "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$jobs"

# The portable copy: the programs, the Qt libraries and plugins they load,
# the MinGW runtime, the manual and its pictures, the toolkit's Spanish texts.
version=$(sed -n 's/^project(Zentrova VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
name=Zentrova-$version
stage=$build/stage/$name
rm -rf "$build/stage"
mkdir -p "$stage/platforms" "$stage/imageformats" "$stage/styles" "$stage/imagenes" "$stage/translations"
cp "$build/zentrova.exe" "$build/zentrova-calc.exe" "$stage/"
for module in Core Gui Widgets PrintSupport Svg; do
  [ -f "$qt/bin/Qt6$module.dll" ] && cp "$qt/bin/Qt6$module.dll" "$stage/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
for plugin in qjpeg qico qsvg; do
  [ -f "$qt/plugins/imageformats/$plugin.dll" ] && cp "$qt/plugins/imageformats/$plugin.dll" "$stage/imageformats/"
done
cp "$qt"/plugins/styles/*.dll "$stage/styles/" 2>/dev/null || rmdir "$stage/styles"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$stage/"
done
cp "$here/help/Zentrova4.html" "$stage/"
cp "$here"/help/imagenes/*.png "$stage/imagenes/"
if [ -f /usr/share/qt6/translations/qtbase_es.qm ]; then
  cp /usr/share/qt6/translations/qtbase_es.qm "$stage/translations/"
else
  rmdir "$stage/translations"
fi
# Qt finds its plugins and translations beside the program.
printf '[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n' > "$stage/qt.conf"
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll

rm -f "$build/$name-windows-x64.zip"
(cd "$build/stage" && zip -qr9 "$build/$name-windows-x64.zip" "$name")

# The installer: the same files; files.nsh names them for the uninstaller.
(cd "$stage" && find . -type f | sed 's|^\./||; s|/|\\|g' | sort |
  sed 's|^|  Delete "$INSTDIR\\|; s|$|"|' > "$build/stage/files.nsh"
 find . -mindepth 1 -type d | sed 's|^\./||; s|/|\\|g' | sort -r |
  sed 's|^|  RMDir "$INSTDIR\\|; s|$|"|' >> "$build/stage/files.nsh")
mv "$build/stage/files.nsh" "$stage/files.nsh"
makensis -V2 -DSTAGE="$stage" -DOUTFILE="$build/$name-setup.exe" -DVERSION="$version" \
  -DICON="$build/app/zentrova.ico" "$here/app/zentrova.nsi"
rm -f "$stage/files.nsh"
ls -l "$build/$name-windows-x64.zip" "$build/$name-setup.exe"
