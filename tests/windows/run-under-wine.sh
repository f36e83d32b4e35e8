#!/usr/bin/env bash
# run-under-wine.sh PREFIX TESTS DLL VST3-MODULE PROGRAM: runs the Windows test program on
# the VST 2 DLL, the VST3 module and the standalone program under Wine, in the given Wine
# prefix (created on first use). Needs an X display.
set -euo pipefail
prefix=$1 tests=$2
shift 2

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No .NET or HTML engine: the first start would offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
limit() { timeout --kill-after=10 "$@"; }

stop_wineserver() {
  limit 30 wineserver -w || limit 10 wineserver -k || true
}
trap stop_wineserver EXIT

limit 300 wineboot -i > /dev/null 2>&1
# Wine maps drive Z: to the root of the Unix file system.
windows_paths=()
for path in "$@"; do windows_paths+=("Z:${path//\//\\}"); done
limit 300 wine "$tests" "${windows_paths[@]}"
