#!/usr/bin/env bash
# Runs a command with an X display: the current one if there is one, else a private
# Xvfb that lives as long as the command, large enough for the editor at 300 %. It never
# resets: an X server resets when its last client leaves and refuses connections meanwhile,
# so a test that starts as another ends would find no display.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] || ! command -v Xvfb > /dev/null; then
  exec "$@"
fi
for n in $(seq 99 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
Xvfb "$display" -noreset -screen 0 2560x1600x24 -nolisten tcp > /dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2> /dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
DISPLAY=$display "$@"
