#!/usr/bin/env bash
# Configures and builds into a build folder (default: build/, kept between runs).
# Extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" "$@" > /dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
