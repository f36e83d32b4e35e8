#!/usr/bin/env bash
# Loads the LV2 bundle in the given folder into Ardour 7 headless (ardour7-lua, its dummy engine),
# with LV2_PATH naming only a folder that holds the bundle, as on a player's machine, and checks
# every control as Ardour's generic controls show it after the engine has run: program 0's value
# in the control's own units, "Osc" a list of the shapes, "Spkr On" a toggle, the envelope in
# milliseconds. Exits 77 (skipped) without ardour7-lua.
set -euo pipefail
bundle=$(realpath "$1/Brumalux.lv2")
script=$(dirname "$(realpath "$0")")/ardour-controls.lua
if ! command -v ardour7-lua > /dev/null; then
  echo "ardour7-lua (Debian's ardour) is not installed" >&2
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lv2" "$work/home"
cp -r "$bundle" "$work/lv2/"
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

output=$(cd "$work" && HOME=$work/home LV2_PATH=$work/lv2 BRUMALUX_SESSION_FOLDER=$work/session \
  timeout 300 ardour7-lua "$script" 2>&1) || true
grep -qx "controls read" <<< "$output" || fail "Ardour did not read the controls: $output"
controls=$(grep "^control|" <<< "$output")

# label|value|default|lower|upper|print format|toggled|integer|scale points
expect() {
  local label=$1 pattern=$2
  local line
  line=$(grep "^control|$label|" <<< "$controls") || fail "no control $label: $controls"
  [[ $line =~ $pattern ]] || fail "$label reads $line, not $pattern"
}
[ "$(wc -l <<< "$controls")" -eq 27 ] || fail "not freeWheeling and 26 controls: $controls"
# Every control holds its default, which is program 0's value ("Unused" is none of them).
while IFS='|' read -r _ label value default _; do
  [ "$value" = "$default" ] || fail "$label holds $value, not its default $default"
done <<< "$controls"
grep -q "^control|Unused|" <<< "$controls" && fail "\"Unused\" is a control"
shapes="0=Sine,1=Organ sine,2=Hard organ sine,3=Triangle,4=Rounded triangle,5=Saw,6=Square"
expect Osc "^control\|Osc\|1\|1\|0\|6\|\|false\|true\|$shapes$"
expect "Spkr On" "^control\|Spkr On\|1\|1\|0\|1\|\|true\|"
for envelope in "ADSR Att" "ADSR Dec" "ADSR Rel"; do
  expect "$envelope" "\|%\.0f ms\|false\|false\|$"
done
expect "ADSR Dec" "^control\|ADSR Dec\|50\|50\|5\|500\|"
expect Tone "^control\|Tone\|12000\|12000\|100\|12000\|\|false\|false\|$"
expect DrawBar1 "^control\|DrawBar1\|0\.629999995\|0\.629999995\|0\|1\|"
expect Spkr1Spd "^control\|Spkr1Spd\|1\|1\|0\.100000001\|7\|"
echo "Ardour 7 reads every control at program 0's value in its own units; Osc a list, Spkr On a toggle"
