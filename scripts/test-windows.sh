#!/usr/bin/env bash
# Builds the Windows DLL, VST3 bundle and standalone program and the Windows tests, then
# runs the tests under Wine inside a private X display (without one, Wine runs no window
# message loop). The Wine prefix lives in the build folder; every Wine call has a time
# limit, so a hung Wine fails the run instead of stalling it. Last, checks that the zip
# holds every part and its README.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-build-windows}
./scripts/build-windows.sh
build=$(realpath "$BUILD_DIR")
./scripts/with-display.sh tests/windows/run-under-wine.sh "$build/wineprefix" \
  "$build/tests/windows/brumalux-windows-tests.exe" "$build/brumalux.dll" \
  "$build/formats/VST3/Brumalux.vst3/Contents/x86_64-win/Brumalux.vst3" "$build/formats/Standalone/brumalux.exe"

# The zip holds the three parts and the text that says where each goes.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
listing=$(cmake -E chdir "$build" cmake -E tar tf "brumalux_${version}_windows_x64.zip")
for part in brumalux.dll brumalux.exe Brumalux.vst3/ README.txt; do
  grep -q "_windows_x64/$part" <<< "$listing" || {
    echo "test-windows: brumalux_${version}_windows_x64.zip holds no $part" >&2
    exit 1
  }
done
