#!/usr/bin/env bash
# Installs the build into a scratch folder as a packager would, checks the
# installed files, validates the desktop entry and the AppStream metadata,
# runs the installed calculator, and builds the Debian package to check its
# file list and dependencies.
set -euo pipefail
build=${1:?build folder}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=/opt/zentrova
DESTDIR="$scratch/root" cmake --install "$build" --prefix "$prefix" >/dev/null
root="$scratch/root$prefix"
expected=(
  bin/zentrova
  bin/zentrova-calc
  share/zentrova/Zentrova4.html
  share/zentrova/imagenes/ventana.png
  share/zentrova/imagenes/grafica.png
  share/zentrova/imagenes/teclado.png
  share/zentrova/imagenes/formulario.png
  share/applications/org.zentrova.Zentrova.desktop
  share/metainfo/org.zentrova.Zentrova.metainfo.xml
  share/icons/hicolor/scalable/apps/org.zentrova.Zentrova.svg
  share/icons/hicolor/16x16/apps/org.zentrova.Zentrova.png
  share/icons/hicolor/48x48/apps/org.zentrova.Zentrova.png
  share/icons/hicolor/256x256/apps/org.zentrova.Zentrova.png
  share/man/man1/zentrova-calc.1
)
for f in "${expected[@]}"; do [ -f "$root/$f" ] || fail "not installed: $f"; done
[ -x "$root/bin/zentrova" ] || fail "zentrova is not executable"

desktop-file-validate "$root/share/applications/org.zentrova.Zentrova.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/share/metainfo/org.zentrova.Zentrova.metainfo.xml" >/dev/null ||
  fail "AppStream metadata"
groff -man -ww -z "$root/share/man/man1/zentrova-calc.1" 2>&1 | { ! grep .; } || fail "manual page warnings"

# The installed calculator runs from anywhere.
out=$(cd "$scratch" && "$root/bin/zentrova-calc" "2+3")
[ "$out" = "2 + 3 =   5" ] || fail "installed zentrova-calc printed: $out"

# The Debian package: its files and the runtime packages it depends on.
cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" >/dev/null
deb=$(ls "$scratch"/package/*.deb)
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in "${expected[@]}"; do
  grep -qx "./usr/$f" <<<"$listing" || fail "not in the package: /usr/$f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6gui6 libqt6core6 libqt6svg6 libqt6printsupport6 libc6 libstdc++6; do
  grep -q "$p" <<<"$depends" || fail "the package does not depend on $p: $depends"
done
echo "install and package: ${#expected[@]} files, depends on: $depends"
