#!/usr/bin/env bash
# Configures and builds into a build folder (default: build/, kept between runs): every
# target, or only those named in BUILD_TARGETS (separated by spaces) and what they need.
# Extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" "$@" > /dev/null
targets=()
for target in ${BUILD_TARGETS:-}; do
  targets+=(--target "$target")
done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
