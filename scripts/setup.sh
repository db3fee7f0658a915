#!/usr/bin/env bash
# Installs everything the editor and its tests need on Debian 12. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-multimedia-dev libqt6opengl6-dev libgl-dev
  libx11-dev libxrandr-dev libxi-dev libxkbcommon-dev libfontconfig-dev
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  fonts-noto-cjk qt6-translations-l10n
  xvfb xauth xdotool x11-utils imagemagick
  wine wine64
  desktop-file-utils appstream lintian dpkg-dev file groff-base
  g++-mingw-w64-x86-64-posix ccache
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
