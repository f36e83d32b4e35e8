#!/usr/bin/env bash
# The main job: installs what is missing, builds, and renders the demo MIDI file through
# the real plug-in to a WAV file.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
build_dir=${BUILD_DIR:-build}
render=$build_dir/tools/brumalux-render
plugin=$build_dir/brumalux.so
if [ ! -x "$render" ] || [ ! -f "$plugin" ]; then
  echo "Built everything there is; the plug-in and its render tool do not exist yet, so there is no demo to render." >&2
  exit 0
fi
mkdir -p out
"$render" --plugin "$plugin" examples/demo.mid -o out/demo.wav
echo "Rendered examples/demo.mid to $(pwd)/out/demo.wav"
