#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in a Wine prefix of the
# build's own (made on first use), with the MinGW runtime and Qt for
# Windows on the DLL search path:
#   scripts/wine-run.sh PROGRAM.exe ARGUMENTS...
# WINEPREFIX (default: build-windows/wine beside this script's repository)
# and ZENTROVA_QT_WINDOWS (default: ~/.cache/zentrova/qt6-mingw) may be given.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build-windows/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko installer questions when the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
qt=${ZENTROVA_QT_WINDOWS:-$HOME/.cache/zentrova/qt6-mingw}
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
gcc_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
export WINEPATH="$(winpath "$gcc_runtime");$(winpath "$pthread_runtime");$(winpath "$qt/bin")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wine wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
fi
exec wine "$@"
