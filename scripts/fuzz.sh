#!/usr/bin/env bash
# Runs every fuzz target of the sanitizer build for the given number of seconds each, from its
# seeds in fuzz/seeds/NAME and with the dictionary fuzz/NAME.dict when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build_dir=${BUILD_DIR:-build-sanitize}
shopt -s nullglob
for target in "$build_dir"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build_dir/fuzz/corpus-$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  dictionary=()
  [ -f "fuzz/$name.dict" ] && dictionary=("-dict=fuzz/$name.dict")
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 "${dictionary[@]}" "$corpus" "${seeds[@]}"
done
