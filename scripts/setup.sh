#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent: when all are present it
# only checks and prints nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  mdbtools-dev mdbtools
  libsqlite3-dev sqlite3
  libjpeg-dev
  libgtest-dev libbenchmark-dev
  fonts-wine
  clang libclang-rt-14-dev
  pngquant
  lintian file man-db
  xvfb dbus at-spi2-core python3-pyatspi
  openbox xdotool x11-utils imagemagick
  poppler-utils
  postgresql libqt6sql6-sqlite libqt6sql6-psql
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
