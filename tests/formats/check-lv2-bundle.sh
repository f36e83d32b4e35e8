#!/usr/bin/env bash
# Checks the LV2 bundle in the given folder as Debian's LV2 tools (lilv-utils) read it:
# listed, described without a warning, with its ports, the ten programs as presets, and
# only required features that common hosts provide. Given the program that writes the bundle's
# description, checks that it writes the same files under a locale with a decimal comma. Exits 77
# (skipped) without the tools. (The ports' details: LilvPluginTest.) A cross-built writer starts
# through the command in EMULATOR.
set -euo pipefail
folder=$(realpath "$1")
writer=${2:-}
read -r -a emulator <<< "${EMULATOR:-}"
uri=https://quellmark.music/plugins/brumalux
# Features that every common LV2 host (Ardour, Carla, Qtractor, jalv, ...) provides.
provided=(
  http://lv2plug.in/ns/ext/urid#map
)
if ! command -v lv2ls > /dev/null || ! command -v lv2info > /dev/null; then
  echo "lv2ls and lv2info (Debian's lilv-utils) are not installed" >&2
  exit 77
fi
export LV2_PATH=$folder
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

listed=$(timeout 60 lv2ls 2>&1)
grep -qx "$uri" <<< "$listed" || fail "lv2ls does not list $uri: $listed"

errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
info=$(timeout 60 lv2info "$uri" 2> "$errors")
if [ -s "$errors" ]; then
  cat "$errors" >&2
  fail "lv2info printed warnings or errors"
fi
grep -q "Name:[[:space:]]*Brumalux" <<< "$info" || fail "no name: $info"
grep -q "a lv2:Plugin , lv2:InstrumentPlugin" "$folder/Brumalux.lv2/dsp.ttl" || fail "not described as an instrument"
grep -q "Author:[[:space:]]*Quellmark music" <<< "$info" || fail "no author: $info"
grep -q "Author Email:[[:space:]]*mailto:[^ ]*@" <<< "$info" || fail "no author's address: $info"

# Ports: MIDI (atom) in and out, two audio outputs, freeWheeling and 26 controls. lv2info lists
# a port's classes one per line in no fixed order, so the class may be on the line after "Type:".
[ "$(grep -c "ext/atom#AtomPort$" <<< "$info")" -eq 2 ] || fail "not two atom ports: $info"
[ "$(grep -c "lv2core#AudioPort$" <<< "$info")" -eq 2 ] || fail "not two audio ports: $info"
[ "$(grep -c "lv2core#ControlPort$" <<< "$info")" -eq 27 ] || fail "not 27 control ports: $info"

# Presets: the ten programs by name.
for program in "A little churchy" "Mellow Doubt" "Rock Organ" "Organ pad" "Fuzzy triangle" \
  "Smooth percussion" "Distorto-matic" "Abandoned theatre" "Cheese Organ" "Breathy"; do
  grep -qF "$program" <<< "$info" || fail "preset \"$program\" missing"
done

# Required features: only those listed above.
required=$(awk '/Required Features:/ { on = 1; sub(/.*Required Features:/, "") }
                on && /^[[:space:]]*[A-Z][a-zA-Z ]*:/ && !/Required Features:/ { on = 0 }
                on { print }' <<< "$info" | tr -s ' \t' '\n' | grep -v '^$' || true)
for feature in $required; do
  grep -qxF "$feature" <<< "$(printf '%s\n' "${provided[@]}")" || fail "requires $feature, which hosts may lack"
done
if [ -n "$writer" ]; then
  written=$(mktemp -d)
  trap 'rm -rf "$errors" "$written"' EXIT
  LC_ALL=de_DE.UTF-8 "${emulator[@]}" "$writer" "$written" || fail "the description writer failed"
  for file in manifest.ttl dsp.ttl ui.ttl presets.ttl; do
    cmp -s "$written/$file" "$folder/Brumalux.lv2/$file" || fail "$file differs when written in de_DE.UTF-8"
  done
fi
echo "lv2ls lists Brumalux; lv2info describes it without warnings; required features: $(echo ${required:-none})"
