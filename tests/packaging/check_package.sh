#!/usr/bin/env bash
# Builds the Debian package from a finished build tree and checks it as Debian and a software
# centre would (lintian, AppStream, the desktop entry), then unpacks it into a scratch root
# and runs the programs from there: --help on a text console, and the launcher started
# through its start script.
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
version=$(dpkg-deb -f "$deb" Version)

lintian_log=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$lintian_log" || true
[ "${status:-0}" -eq 0 ] || fail "lintian found errors or warnings"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/games/zel ./usr/games/zel-start ./usr/share/applications/zel.desktop \
         ./usr/share/icons/hicolor/16x16/apps/zel.png ./usr/share/icons/hicolor/48x48/apps/zel.png \
         ./usr/share/icons/hicolor/256x256/apps/zel.png \
         ./usr/share/man/man6/zel.6.gz ./usr/share/man/man6/zel-start.6.gz; do
  grep -qx "$f" <<<"$contents" || fail "missing $f"
done

root=$scratch/root
dpkg-deb -x "$deb" "$root"
grep -q '^Exec=zel-start$' "$root/usr/share/applications/zel.desktop" || fail "desktop entry"
desktop-file-validate "$root/usr/share/applications/zel.desktop" || fail "desktop entry not valid"
appstreamcli validate-tree --no-net "$root" || fail "AppStream metadata not valid"
grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml ||
  fail "the metainfo has no release $version"
file "$root/usr/share/icons/hicolor/32x32/apps/zel.png" | grep -q '32 x 32' || fail "icon size"

# The options a program's --help lists are those its man page describes, no more, no fewer.
same_options() { # program, man page
  local help page
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" --help) || fail "$1 --help"
  page=$(zcat "$2" | sed -n '/^\.SH OPTIONS/,/^\.SH /p' | sed 's/\\-/-/g')
  diff <(grep -o -- '--[a-z-]*' <<<"$help" | sort -u) <(grep -o -- '--[a-z-]*' <<<"$page" | sort -u) ||
    fail "the options of $1 --help and of $(basename "$2") differ"
}
same_options "$root/usr/games/zel" "$root/usr/share/man/man6/zel.6.gz"
same_options "$root/usr/games/zel-start" "$root/usr/share/man/man6/zel-start.6.gz"

# No display at all: help, version and a wrong option are answered without one.
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_DATA_HOME="$scratch/data" "$@"; }
nodisplay "$root/usr/games/zel" --help | grep -q 'folder it is started from' || fail "zel --help"
[ "$(nodisplay "$root/usr/games/zel" --version)" = "zel $version" ] || fail "zel --version"
nodisplay "$root/usr/games/zel-start" --help | grep -q '^Usage: zel-start' || fail "zel-start --help"
# An answer that could not be written is no success.
for program in zel zel-start; do
  status=0; nodisplay "$root/usr/games/$program" --help >/dev/full 2>/dev/null || status=$?
  [ $status -eq 1 ] || fail "$program --help to a full disk exits with $status, not 1"
done
[ ! -e "$scratch/data" ] || fail "zel-start --help made the data folder"

# The start script makes and enters the data folder; the launcher then creates GL_WADs there.
export XDG_DATA_HOME="$scratch/data" QT_QPA_PLATFORM=offscreen
# Started by a relative path, as from a terminal in the install folder.
(cd "$root/usr" && timeout 5 games/zel-start >/dev/null 2>&1) || [ $? -eq 124 ] ||
  fail "zel-start did not run"
[ -d "$scratch/data/zel/GL_WADs" ] || fail "GL_WADs was not created in \$XDG_DATA_HOME/zel"
[ ! -e "$scratch/GL_WADs" ] || fail "GL_WADs created outside the data folder"

# What a file manager passes is ignored with one line, and the window opens all the same.
status=0
(cd "$scratch/data/zel" && timeout 3 "$root/usr/games/zel" --no-such-option "a map.wad" \
  >/dev/null 2>"$scratch/ignored.log") || status=$?
[ $status -eq 124 ] || fail "zel with arguments ended with $status instead of opening its window"
grep -qx "zel: ignoring --no-such-option, a map.wad: .*" "$scratch/ignored.log" ||
  fail "zel did not say which arguments it ignores: $(cat "$scratch/ignored.log")"

echo "1 passed, 0 failed"
