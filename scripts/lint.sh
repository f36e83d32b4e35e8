#!/usr/bin/env bash
# Habits checked on our own sources (not JUCE's, not the generated ones):
# - clang-format leaves every file as it is (.clang-format);
# - every include runs downwards through the layers (cmake/CheckIncludeGraph.cmake);
# - clang-tidy's short list of checks (.clang-tidy) finds nothing in the product sources.
# Needs a configured build folder for clang-tidy's compile commands (scripts/build.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
# Every check runs, so one run shows everything; the script fails when any of them did.
failed=()

mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
echo "clang-format: ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}" || failed+=(clang-format)

cmake -DSOURCE_DIR="$PWD" -P cmake/CheckIncludeGraph.cmake || failed+=(include-graph)

if [ ! -f "$build_dir/compile_commands.json" ]; then
  echo "lint: no $build_dir/compile_commands.json; run scripts/build.sh first" >&2
  exit 1
fi
# The product folders' own translation units; their headers come along through HeaderFilterRegex.
product="^$PWD/(framework|dsp|params|engine|userfiles|editor|hostcore|host|lv2|plugin|formats|vst2host|tools)/.*\.cpp$"
echo "clang-tidy: product sources"
# The compile commands are g++'s: clang need not know all of its warning flags.
run-clang-tidy -quiet -p "$build_dir" -j "$(nproc)" \
  -extra-arg=-Wno-unknown-warning-option "$product" > "$build_dir/clang-tidy.log" 2>&1 || {
  sed 's/\x1b\[[0-9;]*m//g' "$build_dir/clang-tidy.log" | grep -E "^/.*(error|warning):" | sort -u >&2 ||
    cat "$build_dir/clang-tidy.log" >&2
  failed+=(clang-tidy)
}

if [ ${#failed[@]} -gt 0 ]; then
  echo "lint: failed: ${failed[*]}" >&2
  exit 1
fi
echo "lint: clean"
