#!/usr/bin/env bash
# Opens the Windows launcher (build-windows/zel.exe) under Wine in a virtual X server and saves
# a picture of its window, started as a player starts it.
# Usage: scripts/screenshot-windows.sh [output.png] [working folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build-windows/window.png}")
work=$(realpath -m "${2:-$(mktemp -d)}")
qt=${ZEL_QT_MINGW:-/opt/qt6-mingw64}
zel="$root/build-windows/zel.exe"
mkdir -p "$work" "$(dirname "$out")"

display=":${ZEL_DISPLAY:-$((90 + RANDOM % 100))}"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
prefix=$(mktemp -d /tmp/zel-wine-XXXX)
export WINEPREFIX="$prefix/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=$display
export WINEPATH="Z:${qt//\//\\}\\bin;Z:\\usr\\lib\\gcc\\x86_64-w64-mingw32\\12-posix;Z:\\usr\\x86_64-w64-mingw32\\lib"
trap 'kill $zelpid 2>/dev/null; /usr/lib/wine/wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$prefix"' EXIT
sleep 1
# A prefix made without a display has no window driver.
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
# The faces every Windows has, where Windows keeps them: Debian's Wine does not find its own.
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
(cd "$work" && exec /usr/lib/wine/wine64 "$zel") &
zelpid=$!
for _ in $(seq 1 100); do
  win=$(xdotool search --name "ZEL  Gravemill" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
  sleep 0.2
done
sleep 2
import -window "$win" "$out"
echo "$out"
