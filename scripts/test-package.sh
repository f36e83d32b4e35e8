#!/usr/bin/env bash
# Builds the Debian package from the build folder (default build/), installs it with apt as
# root, checks that every form is where its hosts look and that the standalone program opens
# its window, then purges the package and checks that nothing of it is left. Refuses to run
# where brumalux is installed already: it would take that installation away.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-build}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
uri=https://quellmark.music/plugins/brumalux

installed() {
  [ "$(dpkg-query -W -f='${Status}' brumalux 2> /dev/null || true)" = "install ok installed" ]
}

if installed; then
  echo "brumalux is installed already; remove it before testing the package" >&2
  exit 1
fi
deb=$(./scripts/package.sh | tail -n 1)
cmake --build "$BUILD_DIR" --target brumalux-render > /dev/null
render="$BUILD_DIR/tools/brumalux-render"

# The package's paths, and which of them exist before it comes: those must stay, the rest go.
mapfile -t paths < <(dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | sed 's:/$::' | grep -v '^$')
existing=()
for path in "${paths[@]}"; do
  [ -e "$path" ] && existing+=("$path")
done
home=$(mktemp -d)
cleanup() {
  rm -rf "$home"
  if installed; then
    $sudo apt-get remove --purge -y -q brumalux > /dev/null
  fi
}
trap cleanup EXIT

fail() {
  echo "test-package: $*" >&2
  exit 1
}

$sudo apt-get install -y -q "./$deb" > /dev/null

# LV2 hosts search /usr/lib/lv2 without being told; a private HOME keeps ~/.lv2 out.
listed=$(HOME=$home env -u LV2_PATH lv2ls)
grep -qxF "$uri" <<< "$listed" || fail "lv2ls does not list $uri"
described=$(HOME=$home env -u LV2_PATH lv2info "$uri")
grep -qF "file:///usr/lib/lv2/Brumalux.lv2/" <<< "$described" || fail "the LV2 plug-in found is not the package's"
# Ardour 7's default Linux VST and VST3 paths include /usr/lib/vst and /usr/lib/vst3.
[ -f /usr/lib/vst/brumalux.so ] || fail "no /usr/lib/vst/brumalux.so"
[ -f /usr/lib/vst3/Brumalux.vst3/Contents/x86_64-linux/Brumalux.so ] || fail "no /usr/lib/vst3/Brumalux.vst3"
identity=$("$render" --plugin /usr/lib/vst/brumalux.so --list --quiet) || fail "the installed VST 2 plug-in does not load"
grep -q "Brumalux" <<< "$identity" || fail "the installed VST 2 plug-in is not Brumalux"

# The standalone program from the menu entry's command opens its window.
[ -x /usr/bin/brumalux ] || fail "no /usr/bin/brumalux"
grep -qx "Exec=brumalux" /usr/share/applications/brumalux.desktop || fail "no menu entry"
[ -f /usr/share/icons/hicolor/scalable/apps/brumalux.svg ] || fail "no icon"
# shellcheck disable=SC2016 # the inner shell expands them
./scripts/with-display.sh bash -c '
  HOME=$1 /usr/bin/brumalux > /dev/null 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    if grep -q "\"Brumalux\"" <<< "$(xwininfo -root -tree)"; then
      kill "$pid"; wait "$pid" || true
      exit 0
    fi
    kill -0 "$pid" 2> /dev/null || { echo "brumalux ended without a window" >&2; exit 1; }
    sleep 0.2
  done
  kill -9 "$pid"
  echo "brumalux showed no window within 20 s" >&2
  exit 1' check-window "$home" || fail "the standalone program did not start"

$sudo apt-get remove --purge -y -q brumalux > /dev/null
! installed || fail "brumalux is still installed"
for path in "${paths[@]}"; do
  [[ " ${existing[*]} " == *" $path "* ]] && continue
  [ ! -e "$path" ] || fail "$path is left behind"
done
echo "test-package: $deb installs, every form is found, and it purges without a trace"
