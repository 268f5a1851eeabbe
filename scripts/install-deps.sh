#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Usage: scripts/install-deps.sh [--tests]
set -euo pipefail

build_pkgs=(cmake g++ pkg-config libirrlicht-dev libsdl2-dev libsdl2-mixer-dev libgtk-3-dev
  adwaita-icon-theme libxrandr-dev libvorbis-dev libfreetype-dev libpng-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev)
test_pkgs=(python3 xvfb xauth xdotool x11-utils imagemagick sox x11-xserver-utils openbox clang
  libclang-rt-14-dev desktop-file-utils libglib2.0-bin gdb)

pkgs=("${build_pkgs[@]}")
if [ "${1:-}" = "--tests" ]; then pkgs+=("${test_pkgs[@]}"); fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
