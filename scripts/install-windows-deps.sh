#!/usr/bin/env bash
# Installs what cross-building the plug-in for 64-bit Windows and testing it under Wine
# needs on Debian, then cross-builds the two image libraries that Debian's JUCE takes
# from the system (libpng and libjpeg; Debian ships no MinGW build of them) from
# Debian's own sources into <build folder>/deps. Safe to run again: apt is asked only
# for what is missing, and libraries built before are kept.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-windows}
prefix=$(realpath -m "$build_dir/deps")
toolchain=$(pwd)/cmake/mingw-w64-x86_64.cmake

packages=(
  juce-modules-source cmake make dpkg-dev
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine64 fonts-wine xvfb
  libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3
)
deb_src_list=/etc/apt/sources.list.d/brumalux-deb-src.sources

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

# deb-src entries for the Debian suites the machine installs from, so that
# `apt-get source` fetches the sources of the packages the Linux build links.
deb_src_entries() {
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' \
    'Created-By: Packages' 'Origin: Debian' | sort -u |
    awk -v keyring="$keyring" '
      { key = $1 " " $2; if (!(key in comps)) order[++n] = key; comps[key] = comps[key] " " $3 }
      END {
        for (i = 1; i <= n; i++) {
          split(order[i], f, " ")
          printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents:%s\n", f[1], f[2], comps[order[i]]
          if (system("test -r " keyring) == 0) printf "Signed-By: %s\n", keyring
          print ""
        }
      }'
}

missing=()
for p in "${packages[@]}"; do
  [[ "$(dpkg-query -W -f='${Status}' "$p" 2> /dev/null || true)" == *"ok installed" ]] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ ! -s "$deb_src_list" ]; then
  $sudo apt-get update -q
fi
wanted=$(mktemp)
trap 'rm -f "$wanted"' EXIT
deb_src_entries > "$wanted"
if [ ! -s "$wanted" ]; then
  echo "No Debian archive among the apt sources: cannot fetch libpng and libjpeg sources." >&2
  exit 1
fi
if ! cmp -s "$wanted" "$deb_src_list"; then
  $sudo install -m 644 "$wanted" "$deb_src_list"
  $sudo apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# fetch_source BINARY-PACKAGE WORK-FOLDER: unpacks the newest Debian source of the
# package that the mirror can serve (a mirror may list a security update whose files it
# does not carry yet) and prints the folder it is in.
fetch_source() {
  local package=$1 work=$2 sources source_package version
  # Source lists older than the deb-src entries (or cleaned away) know no sources.
  sources=$(apt-cache showsrc "$package" 2> /dev/null || true)
  if [ -z "$sources" ]; then
    $sudo apt-get update -q > /dev/null
    sources=$(apt-cache showsrc "$package")
  fi
  source_package=$(awk '/^Package:/ { print $2; exit }' <<< "$sources")
  for version in $(awk '/^Version:/ { print $2 }' <<< "$sources" | sort -ruV); do
    rm -rf "$work/source"
    mkdir -p "$work/source"
    if (cd "$work/source" && apt-get source -q "$source_package=$version") >> "$work/apt-get-source.log" 2>&1; then
      find "$work/source" -mindepth 1 -maxdepth 1 -type d -print -quit
      return 0
    fi
  done
  echo "Could not fetch the Debian source of $package:" >&2
  cat "$work/apt-get-source.log" >&2 2> /dev/null || true
  return 1
}

# cross_build NAME BINARY-PACKAGE CMAKE-OPTION...: fetches the Debian source of the
# package, patched as Debian builds it, installs a static build into the prefix and runs
# finish_NAME SOURCE-FOLDER when there is such a function.
cross_build() {
  local name=$1 package=$2
  shift 2
  local stamp=$prefix/.built-$name
  [ -e "$stamp" ] && return 0
  local work=$build_dir/deps-src/$name
  rm -rf "$work"
  mkdir -p "$work"
  local source
  source=$(fetch_source "$package" "$work") || exit 1
  cmake -S "$source" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DBRUMALUX_WINDOWS_DEPS="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    "$@" > "$work/configure.log" || {
    cat "$work/configure.log" >&2
    exit 1
  }
  cmake --build "$work/build" --parallel "$(nproc)" > "$work/build.log" || {
    tail -n 50 "$work/build.log" >&2
    exit 1
  }
  cmake --install "$work/build" > /dev/null
  if declare -F "finish_$name" > /dev/null; then "finish_$name" "$source"; fi
  touch "$stamp"
}

mkdir -p "$prefix"
cross_build libpng libpng-dev -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DZLIB_USE_STATIC_LIBS=ON
# JUCE's JPEG loader includes the library's internal declarations, as Debian's -dev
# package ships them, and it includes jpeglib.h inside a namespace of its own whose
# `boolean` it then uses: the Windows jconfig.h must declare `boolean` there even when
# windows.h has declared the same type globally before.
finish_libjpeg() {
  install -m 644 "$1/jpegint.h" "$prefix/include/"
  sed -i '/^#ifndef __RPCNDR_H__/{N;N;s/^#ifndef __RPCNDR_H__[^\n]*\n\(typedef unsigned char boolean;\)\n#endif/\1/}' \
    "$prefix/include/jconfig.h"
  if grep -q __RPCNDR_H__ "$prefix/include/jconfig.h"; then
    echo "Unexpected jconfig.h: its declaration of boolean is still guarded." >&2
    exit 1
  fi
}
cross_build libjpeg libjpeg-dev -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
