#!/usr/bin/env bash
# Installs what building and testing Brumalux needs on Debian. Safe to run again:
# it only asks apt for packages that are missing. Arguments add groups that only CI needs:
# "validators" (the runtime libraries of the prebuilt plug-in validators, scripts/validate.sh)
# and "package" (what building and checking the Debian package needs, scripts/package.sh and
# scripts/test-package.sh).
set -euo pipefail

packages=(
  juce-modules-source cmake g++ make pkg-config
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev
  libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb x11-utils libxtst-dev libxres-dev
  libasound2-dev libjack-jackd2-dev jackd2 lv2-dev lilv-utils liblilv-dev ardour
  clang libclang-rt-14-dev clang-format clang-tidy
  locales
)
for group in "$@"; do
  case $group in
    validators)
      packages+=(libasound2 libfreetype6 libpng16-16 libjpeg62-turbo zlib1g libflac12
        libvorbis0a libvorbisenc2 libvorbisfile3 libogg0)
      ;;
    # cpack's search for the libraries the binaries link; the package's checks
    package) packages+=(dpkg-dev file lintian appstream desktop-file-utils man-db) ;;
    *)
      echo "install-deps: unknown group $group" >&2
      exit 1
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  [[ "$(dpkg-query -W -f='${Status}' "$p" 2> /dev/null || true)" == *"ok installed" ]] || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The display texts are tested under a locale whose decimal point is a comma.
if ! grep -qx 'de_DE.utf8' <<< "$(locale -a 2> /dev/null || true)"; then
  $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen > /dev/null
  $sudo locale-gen > /dev/null
fi
