#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when some are missing.
set -euo pipefail

packages=(
  g++
  cmake
  ninja-build
  make
  python3
  pkg-config
  libicu-dev
  libgtest-dev
  libboost-dev
  libbenchmark-dev
  libmuparser-dev
  bc
  time
  clang
  libclang-rt-14-dev
  qt6-base-dev
  qt6-svg-dev
  libqt6svg6
  qt6-translations-l10n
  fonts-dejavu-core
  desktop-file-utils
  appstream
  dpkg-dev
  groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
