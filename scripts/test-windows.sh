#!/usr/bin/env bash
# The Windows release check (make test-windows): builds the Windows programs,
# their test programs and the packages (scripts/windows.sh --tests), and runs
# under Wine, in a Wine prefix of the build's own:
#  - the GoogleTest suites (engine, calc, codec, plot);
#  - tests/cli_test.sh against the zip's zentrova-calc.exe, which must print
#    what the Linux build prints;
#  - the decimal reading of 300,000 generated texts, bit for bit against Linux;
#  - the window suites on the offscreen platform;
#  - the zip's zentrova.exe, which must calculate 12*(3+4) = 84;
#  - the installer: a silent installation, the installed calculator, the
#    uninstaller.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD:-$here/build-windows}
qt=${ZENTROVA_QT_WINDOWS:-${ZENTROVA_CACHE:-$HOME/.cache/zentrova}/qt6-mingw}
export WINEPREFIX=${WINEPREFIX:-$build/wine}
export WINEDEBUG=-all ZENTROVA_QT_WINDOWS=$qt
run=$here/scripts/wine-run.sh
failed=()

if ! command -v wine >/dev/null || [ ! -f /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends wine wine64 fonts-dejavu-core
fi
bash "$here/scripts/windows.sh" --tests || exit 1
version=$(sed -n 's/^project(Zentrova VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
name=Zentrova-$version
cd "$build"

step() { echo; echo "== $1"; }
check() { # label command...  ("name" is the package's name)
  local label=$1 start=$SECONDS
  shift
  if "$@"; then
    echo "ok: $label ($((SECONDS - start)) s)"
  else
    echo "FAILED: $label ($((SECONDS - start)) s)"
    failed+=("$label")
  fi
}

step "GoogleTest suites"
check "engine_tests" "$run" tests/engine_tests.exe --gtest_brief=1

step "zentrova-calc.exe of the zip against tests/cli_test.sh"
rm -rf unzipped && mkdir unzipped && (cd unzipped && unzip -q "../$name-windows-x64.zip")
check "cli_tests" env ZENTROVA_CALC="$here/scripts/zentrova-calc-wine.sh" \
  ZENTROVA_CALC_EXE="$build/unzipped/$name/zentrova-calc.exe" bash "$here/tests/cli_test.sh" "$here/tests/data"

step "decimal reading, bit for bit against Linux"
decimal() {
  c++ -std=c++20 -O2 -I"$here" "$here/tests/DecimalDump.cpp" "$here/engine/DecimalPosix.cpp" -o decimal_dump &&
    x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -I"$here" "$here/tests/DecimalDump.cpp" \
      "$here/engine/DecimalWindows.cpp" -static -o decimal_dump.exe &&
    ./decimal_dump 300000 > decimal-linux.txt &&
    "$run" decimal_dump.exe 300000 Spanish_Spain.1252 | tr -d '\r' > decimal-windows.txt &&
    cmp decimal-linux.txt decimal-windows.txt && echo "$(wc -l < decimal-linux.txt) texts read alike"
}
check "decimal reading" decimal

step "window suites (offscreen)"
user=$(id -un)
appdata=$WINEPREFIX/drive_c/users/$user/AppData
# Wine hands no QT_* variable of ours to a Windows program, but it does hand
# on the registry's environment. The offscreen platform of Windows reads
# fonts from a folder alone: the DejaVu faces the Linux suites draw with.
mkdir -p fonts
for face in DejaVuSans DejaVuSans-Bold DejaVuSansMono DejaVuSerif; do
  cp /usr/share/fonts/truetype/dejavu/$face.ttf fonts/
done
"$run" reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d "$(printf 'Z:%s' "$build/fonts" | tr / '\\')" /f >/dev/null
wineserver -w
for suite in tests/gui_*.exe; do
  # Each suite meets no recovery copy, history or settings (in the
  # registry on Windows) of another.
  rm -rf "$appdata/Local/Zentrova" "$appdata/Roaming/Zentrova"
  "$run" reg delete 'HKCU\Software\Zentrova' /f >/dev/null 2>&1 || true
  check "$(basename "$suite" .exe)" "$run" "$suite" -platform offscreen
done

step "the zip's zentrova.exe calculates"
smoke() {
  rm -rf "$appdata/Local/Zentrova"
  local out
  # The zip carries only the windows platform; the offscreen one comes from
  # the Qt build, named by argument.
  out=$(timeout 120 "$run" "unzipped/$name/zentrova.exe" -platformpluginpath "Z:$qt/plugins/platforms" \
        -platform offscreen --prueba-de-humo "12*(3+4)" | tr -d '\r')
  echo "$out"
  [ "$out" = "12 * (3 + 4) =   84" ]
}
check "zentrova.exe 12*(3+4)" smoke

step "installer"
installer() {
  local dir=$appdata/Local/Programs/Zentrova
  rm -rf "$dir"
  timeout 300 "$run" "$name-setup.exe" /S && wineserver -w &&
    [ -f "$dir/zentrova.exe" ] && [ -f "$dir/desinstalar.exe" ] && [ -f "$dir/platforms/qwindows.dll" ] &&
    [ -f "$appdata/Roaming/Microsoft/Windows/Start Menu/Programs/Zentrova.lnk" ] &&
    [ "$("$run" "$dir/zentrova-calc.exe" "12*(3+4)" | tr -d '\r')" = "12 * (3 + 4) =   84" ] &&
    timeout 120 "$run" "$dir/desinstalar.exe" /S "_?=$(printf 'C:\\users\\%s\\AppData\\Local\\Programs\\Zentrova' "$user")" &&
    wineserver -w && [ ! -f "$dir/zentrova.exe" ] &&
    [ ! -f "$appdata/Roaming/Microsoft/Windows/Start Menu/Programs/Zentrova.lnk" ]
}
check "installer" installer

echo
if [ ${#failed[@]} -gt 0 ]; then
  echo "make test-windows: ${#failed[@]} failed: ${failed[*]}"
  exit 1
fi
echo "make test-windows: all passed ($SECONDS s)"
