#!/usr/bin/env bash
# Installs what Jeonpyo needs to build, run and test on Debian 12, then
# configures and builds it in ./build. Safe to run again: it installs only what
# is missing and builds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql qt6-qpa-plugins libpq-dev libsqlite3-dev sqlite3
  postgresql fonts-nanum fontconfig poppler-utils
  xvfb xauth openbox xdotool x11-utils imagemagick
  clang clang-format libclang-rt-14-dev
  qt6-translations-l10n
  dpkg-dev appstream desktop-file-utils man-db
  cups-daemon cups-client printer-driver-cups-pdf
  libxlsxwriter-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
