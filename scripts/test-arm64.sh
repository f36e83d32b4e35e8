#!/usr/bin/env bash
# Tests the 64-bit ARM build on this machine: cross-builds it (scripts/build-arm64.sh, folder
# build-arm64/ or ARM64_BUILD_DIR), runs its tests that need no display under qemu-user, then
# renders examples/demo.mid through the arm64 brumalux.so and through the
# build machine's (BUILD_DIR, default build/), with the rotating speaker off and on, and compares
# the two renders sample by sample: they may differ by 1e-6 with the speaker off and by 1e-4 with
# it on (the speaker's delay sweeps carry a difference on), room for a system maths library that
# rounds its last bit otherwise. The build machine renders on its SSE2 path (BRUMALUX_SIMD=sse2).
#
# EMULATOR is the command that starts an arm64 program here (default: qemu-aarch64 -L /, the
# arm64 libraries being installed beside the build machine's).
set -euo pipefail
cd "$(dirname "$0")/.."
arm64_dir=${ARM64_BUILD_DIR:-build-arm64}
native_dir=${BUILD_DIR:-build}
read -r -a emulator <<< "${EMULATOR:-qemu-aarch64 -L /}"

BUILD_DIR=$arm64_dir ./scripts/build-arm64.sh -DCMAKE_CROSSCOMPILING_EMULATOR="$(IFS=';' && echo "${emulator[*]}")"
# Without a display the tests that open windows skip themselves: under emulation their waits for
# painting do not hold. Left out too: the standalone program on a JACK server, which would be the
# build machine's, and JACK's clients and server share memory laid out for one architecture (its
# metadata database too: while the build machine's server runs, an arm64 client that opens JACK
# complains of it on standard error). A test that fails is run once more: JUCE ends its threads
# detached, and a thread's last instructions may still run in a plug-in the test has just unloaded;
# emulation widens that moment enough to crash now and then.
(cd "$arm64_dir" && env -u DISPLAY ctest --output-on-failure --parallel "$(nproc)" --timeout 600 \
  --exclude-regex '^StandaloneOnJack\.|/NoGuiPlaysFromJack( |$)' --repeat until-pass:2)

BUILD_DIR=$native_dir BUILD_TARGETS="brumalux brumalux-render compare-renders" ./scripts/build.sh
renders=$(mktemp -d)
trap 'rm -rf "$renders"' EXIT
for speaker in 0 1; do
  options=(examples/demo.mid --bits 32 --quiet --param-normalised "Spkr On=$speaker")
  # The build machine's render on its baseline (SSE2) path: its AVX2 path fuses multiply-adds.
  BRUMALUX_SIMD=sse2 "$native_dir/tools/brumalux-render" --plugin "$native_dir/brumalux.so" "${options[@]}" \
    -o "$renders/native.wav"
  "${emulator[@]}" "$arm64_dir/tools/brumalux-render" --plugin "$arm64_dir/brumalux.so" "${options[@]}" \
    -o "$renders/arm64.wav"
  tolerance=$([ "$speaker" = 1 ] && echo 1e-4 || echo 1e-6)
  echo -n "test-arm64: demo.mid, speaker $([ "$speaker" = 1 ] && echo on || echo off): "
  "$native_dir/tests/tools/compare-renders" "$renders/native.wav" "$renders/arm64.wav" "$tolerance"
done

# The arm64 package holds the amd64 package's files (the VST3 plug-in in aarch64-linux/), needs
# the same packages, draws the same remarks from lintian, and apt would install it (simulated:
# it is not installed here).
fail() {
  echo "test-arm64: $*" >&2
  exit 1
}
arm64_deb=$(BUILD_DIR=$arm64_dir ./scripts/package.sh | tail -n 1)
native_deb=$(BUILD_DIR=$native_dir ./scripts/package.sh | tail -n 1)
contents() { dpkg-deb -c "$1" | awk '{ print $6 }' | sed 's:/x86_64-linux/:/aarch64-linux/:'; }
diff <(contents "$native_deb") <(contents "$arm64_deb") || fail "the packages hold different files"
[ "$(dpkg-deb -f "$arm64_deb" Depends)" = "$(dpkg-deb -f "$native_deb" Depends)" ] || fail "the packages depend on different packages"
remarks() { lintian "$1" 2> /dev/null | sort; }
diff <(remarks "$native_deb") <(remarks "$arm64_deb") || fail "lintian says more of the arm64 package"
apt-get install --simulate -q "./$arm64_deb" > /dev/null || fail "apt cannot install $arm64_deb"
echo "test-arm64: $arm64_deb holds what the amd64 package does and would install"
