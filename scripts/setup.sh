#!/usr/bin/env bash
# Installs what building and testing keelway needs on Debian 12, when it is missing.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins libgl-dev libglx-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic
  gdal-bin
  desktop-file-utils dpkg-dev file lintian appstream
  libavcodec-dev libavformat-dev libswscale-dev libavutil-dev
  clang libclang-rt-dev
  pulseaudio-utils
  chromium
)
# The gun test plays into a PulseAudio server of its own. A desktop whose sound server is
# PipeWire keeps it (both would claim the user's sound socket) and the test skips there.
dpkg-query -W -f='${Status}' pipewire-pulse 2>/dev/null | grep -q "install ok installed" ||
  packages+=(pulseaudio)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
