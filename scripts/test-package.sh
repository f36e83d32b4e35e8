#!/usr/bin/env bash
# Builds the Debian package from the build folder (default build/) and checks it with lintian
# (no errors), installs it with apt as root, checks that every form is where its hosts look,
# that the standalone program opens its window, that the render tool renders the demo with
# the installed plug-in, that the manual pages open and the menu entry and AppStream
# metadata validate, then purges the package and checks that nothing of it is left. Refuses
# to run where brumalux is installed already: it would take that installation away.
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

# Errors fail; the warnings left are explained in the README's packaging notes.
lintian --fail-on error "$deb" || fail "lintian finds errors in $deb"

$sudo apt-get install -y -q "./$deb" > /dev/null

# LV2 hosts search /usr/lib/lv2 without being told; a private HOME keeps ~/.lv2 out.
listed=$(HOME=$home env -u LV2_PATH lv2ls)
grep -qxF "$uri" <<< "$listed" || fail "lv2ls does not list $uri"
described=$(HOME=$home env -u LV2_PATH lv2info "$uri")
grep -qF "file:///usr/lib/lv2/Brumalux.lv2/" <<< "$described" || fail "the LV2 plug-in found is not the package's"
# Ardour 7's default Linux VST and VST3 paths include /usr/lib/vst and /usr/lib/vst3.
[ -f /usr/lib/vst/brumalux.so ] || fail "no /usr/lib/vst/brumalux.so"
[ -f /usr/lib/vst3/Brumalux.vst3/Contents/x86_64-linux/Brumalux.so ] || fail "no /usr/lib/vst3/Brumalux.vst3"

# The installed render tool finds the installed VST 2 plug-in by itself and renders the demo.
identity=$(HOME=$home env -u VST_PATH /usr/bin/brumalux-render --list) || fail "the installed VST 2 plug-in does not load"
grep -qxE "Plug-in: +/usr/lib/vst/brumalux.so" <<< "$identity" ||
  fail "brumalux-render does not play /usr/lib/vst/brumalux.so"
grep -q "Effect name: Brumalux" <<< "$identity" || fail "the installed VST 2 plug-in is not Brumalux"
HOME=$home env -u VST_PATH /usr/bin/brumalux-render examples/demo.mid -o "$home/demo.wav" --quiet ||
  fail "brumalux-render does not render the demo"
[ "$(stat -c %s "$home/demo.wav")" -gt 1000000 ] || fail "brumalux-render wrote no demo"

# The manual pages open; the menu entry and the AppStream metadata validate.
for page in brumalux brumalux-render; do
  text=$(MANPAGER=cat MANWIDTH=80 man "$page" 2> /dev/null) || fail "man $page does not open"
  grep -q -- "--help" <<< "$text" || fail "man $page shows no options"
done
desktop-file-validate /usr/share/applications/brumalux.desktop || fail "the menu entry does not validate"
metainfo=/usr/share/metainfo/music.quellmark.brumalux.metainfo.xml
appstreamcli validate --no-net "$metainfo" ||
  fail "the AppStream metadata does not validate"
env -u DISPLAY /usr/bin/brumalux --version > /dev/null || fail "brumalux --version fails"

# One maintainer, as CMakeLists.txt names it, in the package, its copyright file, the LV2
# description and the AppStream metadata.
maintainer=$(sed -n 's/^BRUMALUX_MAINTAINER:STRING=//p' "$BUILD_DIR/CMakeCache.txt")
address=${maintainer#*<}
address=${address%>}
[ "$(dpkg-deb -f "$deb" Maintainer)" = "$maintainer" ] || fail "the package's Maintainer is not $maintainer"
grep -qxF "Upstream-Contact: $maintainer" /usr/share/doc/brumalux/copyright || fail "the copyright file names another"
grep -qF "foaf:mbox <mailto:$address>" /usr/lib/lv2/Brumalux.lv2/dsp.ttl || fail "the LV2 description names another"
grep -qF "<name>${maintainer% <*}</name>" "$metainfo" || fail "the AppStream developer is another"
grep -qF "<update_contact>$address</update_contact>" "$metainfo" || fail "the AppStream update contact is another"

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
echo "test-package: $deb installs, every form and text is found, and it purges without a trace"
