#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, and only those missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev
  libqt6sql6-sqlite libsqlite3-dev
  clang libclang-rt-14-dev
  fonts-liberation poppler-utils dpkg-dev file
  go-md2man lintian appstream desktop-file-utils
  qt6-translations-l10n
)
# The end-to-end test over the accessibility bridge (tests/atspi): an X server, a session bus, the AT-SPI
# bus and its Python binding.
packages+=(xvfb xauth dbus-daemon at-spi2-core python3-pyatspi)

# `scripts/deps.sh bench` adds what scripts/bench and scripts/profile use: an X server, so the window can
# run on xcb with Qt's accessibility bridge; a session bus with the accessibility bus launcher; perf.
if [ "${1:-}" = bench ]; then
  packages+=(xvfb xauth dbus-daemon at-spi2-core linux-perf)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
