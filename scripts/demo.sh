#!/usr/bin/env bash
# The main job: installs what is missing, builds the VST 2 plug-in and the render tool (and
# nothing else: scripts/test.sh builds the rest), and renders the demo MIDI file through the
# real plug-in to a WAV file.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
BUILD_TARGETS="brumalux brumalux-render" ./scripts/build.sh
build_dir=${BUILD_DIR:-build}
mkdir -p out
"$build_dir/tools/brumalux-render" --plugin "$build_dir/brumalux.so" examples/demo.mid -o out/demo.wav
echo "Rendered examples/demo.mid to $(pwd)/out/demo.wav"
