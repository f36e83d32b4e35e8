#!/usr/bin/env bash
# Installs what cross-building Brumalux for 64-bit ARM (aarch64) and testing it under
# emulation needs on a Debian amd64 machine: Debian's cross compilers, the arm64 builds of the
# libraries the organ and its tests link (beside the amd64 ones: they are Multi-Arch: same),
# qemu-user, which starts arm64 programs here, and lintian for the arm64 package's check
# (scripts/test-arm64.sh). Safe to run again: the arm64 architecture is added once and apt is
# asked only for what is missing.
#
# JUCE is not among them: its Debian package holds sources and the build machine's helper
# programs, so the cross build uses the amd64 package as it is.
set -euo pipefail

packages=(
  juce-modules-source cmake make pkg-config dpkg-dev lintian
  crossbuild-essential-arm64 qemu-user
)
# The development files the organ, its forms and its tests link, for arm64.
arm64_packages=(
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev libxtst-dev libxres-dev
  libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev
  libasound2-dev libjack-jackd2-dev liblilv-dev
  libgtest-dev libgmock-dev
)
for p in "${arm64_packages[@]}"; do
  packages+=("$p:arm64")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# Other builds on the machine may hold apt's lock for a while.
apt_get() { $sudo apt-get -o DPkg::Lock::Timeout=600 "$@"; }

added=false
if ! grep -qx arm64 <<< "$(dpkg --print-foreign-architectures)"; then
  $sudo dpkg --add-architecture arm64
  added=true
fi

missing=()
for p in "${packages[@]}"; do
  [[ "$(dpkg-query -W -f='${Status}' "$p" 2> /dev/null)" == *"ok installed" ]] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || $added; then
  apt_get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  apt_get install -y -q --no-install-recommends "${missing[@]}"
fi
