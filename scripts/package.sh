#!/usr/bin/env bash
# Builds the Debian package, <build folder>/packages/brumalux_<version>_<architecture>.deb,
# from the build folder (default build/, configured first if it is not yet; a cross build's
# folder gives a package for its processor, e.g. arm64): the four Linux forms, the render
# tool and the package's texts are brought up to date, then cpack packs them for the system
# folders.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
./scripts/install-deps.sh package
[ -f "$build_dir/CMakeCache.txt" ] || cmake -S . -B "$build_dir" > /dev/null
cmake --build "$build_dir" --parallel "$(nproc)" --target brumalux brumalux_plugin_VST3 brumalux_lv2_plugin \
  brumalux_plugin_Standalone brumalux-render brumalux_package_texts
(cd "$build_dir" && cpack -G DEB)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
architecture=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "\(.*\)")$/\1/p' "$build_dir/CPackConfig.cmake")
architecture=${architecture:-$(dpkg --print-architecture)}
echo "$build_dir/packages/brumalux_${version}_${architecture}.deb"
