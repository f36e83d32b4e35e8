#!/usr/bin/env bash
# Installs what building and testing Brumalux needs on Debian. Safe to run again:
# it only asks apt for packages that are missing.
set -euo pipefail

packages=(
  juce-modules-source cmake g++ make pkg-config
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev
  libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb x11-utils
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
