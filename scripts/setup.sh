#!/usr/bin/env bash
# Installs the Debian packages Kestrune needs to build, run and test; only what is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libxkbcommon-dev libgl-dev
  nlohmann-json3-dev libpython3-dev
  python3-opencv python3-numpy python3-pytest
  libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth xdotool imagemagick x11-utils
  dbus dbus-x11 at-spi2-core python3-pyatspi
  qt6-qpa-plugins fonts-dejavu-core adwaita-icon-theme
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
