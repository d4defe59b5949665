#!/usr/bin/env bash
# Builds the Debian package from a finished build tree, checks its control file and contents,
# unpacks it into a scratch root and starts the launcher from there through its start script.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/pkg/*.deb)

control=$(dpkg-deb -f "$deb")
echo "$control"
grep -q '^Package: zel-gravemill$' <<<"$control" || fail "package name"
grep -q '^Depends:.*libqt6widgets6' <<<"$control" || fail "Qt Widgets not among the dependencies"
grep -q '^Section: games$' <<<"$control" || fail "section"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/zel ./usr/bin/zel-start ./usr/share/applications/zel.desktop \
         ./usr/share/icons/hicolor/16x16/apps/zel.png ./usr/share/icons/hicolor/48x48/apps/zel.png \
         ./usr/share/icons/hicolor/256x256/apps/zel.png; do
  grep -qx "$f" <<<"$contents" || fail "missing $f"
done

dpkg-deb -x "$deb" "$scratch/root"
grep -q '^Exec=zel-start$' "$scratch/root/usr/share/applications/zel.desktop" || fail "desktop entry"
file "$scratch/root/usr/share/icons/hicolor/32x32/apps/zel.png" | grep -q '32 x 32' || fail "icon size"

# The start script makes and enters the data folder; the launcher then creates GL_WADs there.
export XDG_DATA_HOME="$scratch/data" QT_QPA_PLATFORM=offscreen
# Started by a relative path, as from a terminal in the install folder.
(cd "$scratch/root/usr" && timeout 5 bin/zel-start >/dev/null 2>&1) || [ $? -eq 124 ] ||
  fail "zel-start did not run"
[ -d "$scratch/data/zel/GL_WADs" ] || fail "GL_WADs was not created in \$XDG_DATA_HOME/zel"
[ ! -e "$scratch/GL_WADs" ] || fail "GL_WADs created outside the data folder"

echo "1 passed, 0 failed"
