#!/usr/bin/env bash
# Cross-builds the launcher for 64-bit Windows with MinGW-w64 and runs its tests under Wine,
# in a Wine prefix of their own; then checks the ZIP and installs, starts and uninstalls the
# installer there. Needs a Qt for MinGW at $ZEL_QT_MINGW (default
# /opt/qt6-mingw64), which scripts/install-windows-deps.sh provides; without one the stage is
# skipped. Usage: scripts/test-windows.sh [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
qt=${ZEL_QT_MINGW:-/opt/qt6-mingw64}
build=$(realpath -m "${1:-$root/build-windows}")
wine=/usr/lib/wine/wine64

if [ ! -x "$qt/bin/qt-cmake" ] || [ ! -x "$wine" ]; then
  echo "Windows stage skipped: no Qt for MinGW at $qt or no Wine (run scripts/install-windows-deps.sh, or set ZEL_QT_MINGW)"
  exit 0
fi

start=$(date +%s)
"$qt/bin/qt-cmake" -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" >/dev/null
cmake --build "$build" -j2
built=$(date +%s)

prefix=$(mktemp -d /tmp/zel-wine-XXXX)
cleanup() {
  WINEPREFIX="$prefix/wine" /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX="$prefix/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix is made once, before the tests: that takes Wine a while.
timeout 300 "$wine" wineboot --init >/dev/null 2>&1
# The faces every Windows has, where Windows keeps them: Debian's Wine does not find its own.
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# A Cyrillic system for the code-page test, from the C library's own locale sources.
localedef -i ru_RU -f CP1251 "$prefix/locale/ru_RU.CP1251" >/dev/null 2>&1 || true
export ZEL_LOCALES="$prefix/locale"
ctest --test-dir "$build" --output-on-failure -j2

# The ZIP and the installer as a player meets them, and zel.exe's own resources.
"$root/tests/packaging/check_windows_package.sh" "$build"

# The figures beside their floors, as measured under Wine. Wine makes a file in a large folder
# slowly (it first looks for the name in any case), so the bench's files are made here.
files() {
  mkdir -p "$1"
  awk -v n="$2" 'BEGIN { split(".wad .txt .LMP", s, " ");
    for (i = 0; i < n; i++) printf "%s%06d%s\n", (i % 2 ? "Map" : "level"), i, s[i % 3 + 1] }' |
    (cd "$1" && xargs touch)
}
files "$prefix/bench/big" 100000
for i in 0 1 2 3 4; do files "$prefix/bench/folder$i" 20000; done
# It finds Qt's DLLs and the MinGW runtime where they lie, as the tests do.
runtime() { dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name="$1")")"; }
winepath="$qt/bin;$(runtime libstdc++-6.dll);$(runtime libwinpthread-1.dll)"
WINEPATH="Z:${winepath//;/;Z:}" "$wine" "$build/zel_bench.exe" -platform offscreen "Z:$prefix/bench"
echo "Windows stage: built in $((built - start)) s, tested under Wine in $(($(date +%s) - built)) s"
