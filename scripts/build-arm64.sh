#!/usr/bin/env bash
# Cross-builds Brumalux for 64-bit ARM Linux (aarch64: the Raspberry Pi 4 and 5 on a 64-bit
# system, and the like) into a build folder (default build-arm64/, kept between runs): the
# VST 2 plug-in, the LV2 bundle, brumalux-render and the tests, and with them the VST3 bundle (its
# plug-in in Contents/aarch64-linux/) and the standalone program. Installs what is missing first. Only
# the targets named in BUILD_TARGETS (separated by spaces) when it is set; extra arguments go
# to the CMake configure step (-DBRUMALUX_FORMATS=OFF leaves out the VST3 and standalone forms).
#
# Every arm64 program the build or the tests start runs under qemu-user, through the command in
# CMAKE_CROSSCOMPILING_EMULATOR (qemu-aarch64 -L / unless given; test scripts read it as EMULATOR).
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-build-arm64}
./scripts/install-arm64-deps.sh
juce_dir=$(find /usr/lib/*/cmake -maxdepth 1 -type d -name 'JUCE-7.0.5' -print -quit)
cmake --no-warn-unused-cli -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
  -DJUCE_DIR="$juce_dir" -DBRUMALUX_BENCH=OFF "$@" > /dev/null
targets=()
for target in ${BUILD_TARGETS:-}; do
  targets+=(--target "$target")
done
cmake --build "$BUILD_DIR" --parallel "$(nproc)" "${targets[@]}"
