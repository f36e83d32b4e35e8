#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh "$@"
cd "${BUILD_DIR:-build}"
../scripts/with-display.sh ctest --output-on-failure --parallel "$(nproc)" --timeout 600
