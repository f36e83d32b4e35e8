#!/usr/bin/env bash
# Cross-builds the plug-in as a 64-bit Windows DLL, <build folder>/brumalux.dll (default
# build-windows/, kept between runs), its VST3 bundle formats/VST3/Brumalux.vst3 and the
# standalone program formats/Standalone/brumalux.exe, together with the Windows tests, and packs
# the three into brumalux_<version>_windows_x64.zip there. Installs what is missing first.
# Extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-build-windows}
./scripts/install-windows-deps.sh
juce_dir=$(find /usr/lib/*/cmake -maxdepth 1 -type d -name 'JUCE-7.0.5' -print -quit)
# JUCE's package is found by its folder: a cross build looks for packages only in the
# MinGW tree, where Debian's JUCE (plain sources and CMake code) is not installed.
cmake --no-warn-unused-cli -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DBRUMALUX_WINDOWS_DEPS="$(realpath -m "$BUILD_DIR/deps")" -DJUCE_DIR="$juce_dir" \
  -DBRUMALUX_TESTS=OFF -DBRUMALUX_BENCH=OFF "$@" > /dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
