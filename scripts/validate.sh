#!/usr/bin/env bash
# Runs the built VST3 and LV2 bundles through two independent plug-in validators:
# - pluginval at strictness 10, its editor groups included (under an X display), at three
#   sample rates and three block sizes, on the VST3 and on the LV2 bundle;
# - Steinberg's VST3 validator in extensive mode on the VST3 bundle.
# Any failure fails the script and shows that validator's own output; a pass prints one line.
# The validators are prebuilt outside the repository, in ../shared/validators beside the
# clone (BRUMALUX_VALIDATORS names another folder). Needs a build (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(realpath -m "${BUILD_DIR:-build}")
validators=$(realpath -m "${BRUMALUX_VALIDATORS:-../shared/validators}")
vst3=$build_dir/formats/VST3/Brumalux.vst3
lv2=$build_dir/formats/LV2/Brumalux.lv2
lv2_uri=https://quellmark.music/plugins/brumalux

for tool in pluginval validator; do
  if [ ! -x "$validators/$tool" ]; then
    echo "validate: no $validators/$tool; the prebuilt validators belong in ../shared/validators" \
      "beside the clone (or set BRUMALUX_VALIDATORS)" >&2
    exit 1
  fi
done
for bundle in "$vst3" "$lv2"; do
  if [ ! -d "$bundle" ]; then
    echo "validate: no $bundle; build first (scripts/build.sh)" >&2
    exit 1
  fi
done
./scripts/install-deps.sh validators

logs=$build_dir/validate
rm -rf "$logs"
mkdir -p "$logs"
# The validators write settings into HOME; each run gets a throw-away one.
homes=$(mktemp -d)
trap 'rm -rf "$homes"' EXIT

failed=()
# run NAME HOME COMMAND...: runs one validation with its own HOME, its output in NAME.log.
run() {
  local name=$1 home=$2
  shift 2
  local log=$logs/$name.log start=$SECONDS
  mkdir -p "$home"
  if HOME=$home timeout 1800 "$@" > "$log" 2>&1; then
    echo "validate: $name passed ($((SECONDS - start)) s)"
  else
    echo "validate: $name FAILED; its output ($log):" >&2
    cat "$log" >&2
    failed+=("$name")
  fi
}

pluginval=("$validators/pluginval" --strictness-level 10
  --sample-rates "44100,48000,96000" --block-sizes "32,256,1024")
run pluginval-vst3 "$homes/vst3" ./scripts/with-display.sh "${pluginval[@]}" --validate "$vst3"
# pluginval finds LV2 plug-ins by URI in the user's ~/.lv2 only (not through LV2_PATH).
mkdir -p "$homes/lv2/.lv2"
cp -r "$lv2" "$homes/lv2/.lv2/"
run pluginval-lv2 "$homes/lv2" ./scripts/with-display.sh "${pluginval[@]}" --validate "$lv2_uri"
run vst3-validator "$homes/validator" "$validators/validator" -e "$vst3"

if [ ${#failed[@]} -gt 0 ]; then
  echo "validate: failed: ${failed[*]}" >&2
  exit 1
fi
