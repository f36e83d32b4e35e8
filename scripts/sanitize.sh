#!/usr/bin/env bash
# The same tests built with clang under AddressSanitizer and UndefinedBehaviorSanitizer,
# the VST3, LV2 and standalone forms and JUCE's hosting of them included, plus the libFuzzer
# targets, each run for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
export BUILD_DIR=${BUILD_DIR:-build-sanitize}
CC=clang CXX=clang++ ./scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRUMALUX_SANITIZE=ON \
  -DBRUMALUX_FUZZ=ON -DBRUMALUX_BENCH=OFF
# intercept_tls_get_addr=0: clang 14's runtime takes a thread-local block of a loaded plug-in
# for an old glibc's block whenever it happens to start 16 bytes into a page, reads its address and
# length from the two words before it, and the leak check at exit crashes on them ("Tracer caught
# signal 11").
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$BUILD_DIR" && ../scripts/with-display.sh ctest --output-on-failure --parallel "$(nproc)" --timeout 900)
./scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
