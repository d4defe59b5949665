#!/usr/bin/env bash
# Opens the launcher in a virtual X server and saves a picture of its window.
# Usage: scripts/screenshot.sh [output.png] [working folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/window.png}")
work=$(realpath -m "${2:-$root/workspace}")
zel="$root/build/src/zel"
mkdir -p "$work" "$(dirname "$out")"

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $zelpid $xvfb 2>/dev/null || true' EXIT
sleep 1
(cd "$work" && DISPLAY=$display exec "$zel") &
zelpid=$!
for _ in $(seq 1 50); do
  win=$(DISPLAY=$display xdotool search --name "ZEL  Gravemill" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
  sleep 0.2
done
sleep 1
DISPLAY=$display import -window "$win" "$out"
echo "$out"
