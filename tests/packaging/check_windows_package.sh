#!/usr/bin/env bash
# Checks the Windows packages of a finished cross-build as a player would meet them, under Wine
# in the prefix $WINEPREFIX (made by wineboot): zel.exe's resources, the portable ZIP unpacked
# and started elsewhere, and the per-user installer, installed silently, started from its
# Start-menu shortcut, installed again over itself, and uninstalled, keeping the player's files.
# Usage: check_windows_package.sh BUILD
set -euo pipefail
build=$(realpath "$1")
: "${WINEPREFIX:?needs the Wine prefix to install into}"
qt=${ZEL_QT_MINGW:-/opt/qt6-mingw64}
wine64=/usr/lib/wine/wine64
# NSIS installers and their uninstallers are 32-bit programs.
wine32=/usr/lib/wine/wine
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
# Without a display the window opens off screen: a plugin of the test's, not the player's.
offscreen=(-platform offscreen -platformpluginpath "Z:${qt//\//\\}\\plugins\\platforms")

# --- zel.exe as Explorer shows it: icon, version, manifest.
resources=$(wrestool -l "$build/zel.exe")
grep -q 'type=group_icon' <<<"$resources" || fail "zel.exe has no icon"
grep -q 'type=version' <<<"$resources" || fail "zel.exe has no version information"
grep -q -- '--type=24 --name=1 ' <<<"$resources" || fail "zel.exe has no manifest"
wrestool -x -t14 "$build/zel.exe" >"$scratch/zel.ico"
sizes=$(icotool -l "$scratch/zel.ico" | sed -n 's/.*--width=\([0-9]*\) .*/\1/p' | tr '\n' ' ')
[ "$sizes" = "16 24 32 48 64 128 256 " ] || fail "zel.exe's icon has the sizes $sizes"
strings=$(wrestool -x --raw -t16 "$build/zel.exe" | strings -el)
for field in ProductName FileDescription; do
  grep -A1 -x "$field" <<<"$strings" | grep -qx "ZEL Gravemill" || fail "$field is not ZEL Gravemill"
done
for field in ProductVersion FileVersion; do
  grep -A1 -x "$field" <<<"$strings" | grep -qx "$version" || fail "$field is not $version"
done
grep -A1 -x LegalCopyright <<<"$strings" | grep -q "^Copyright [0-9]* ZEL Gravemill developers$" ||
  fail "no copyright line"
wrestool -x --raw -t24 "$build/zel.exe" >"$scratch/manifest.xml"
# Windows refuses to start a program whose manifest is not well-formed; Wine does not.
xmllint --noout "$scratch/manifest.xml" || fail "zel.exe's manifest is not well-formed XML"
grep -q '<dpiAwareness[^>]*>PerMonitorV2</dpiAwareness>' "$scratch/manifest.xml" ||
  fail "the manifest does not ask for per-monitor (v2) DPI awareness, as Qt does"
[ "$(grep -c '<supportedOS ' "$scratch/manifest.xml")" -eq 4 ] ||
  fail "the manifest does not name Windows 7, 8, 8.1 and 10/11"
echo "zel.exe carries its icon, version information and manifest."

# --- The portable ZIP, unpacked elsewhere, opens its window and keeps its files in the folder
# it is started from.
(cd "$build" && cpack -G ZIP >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack -G ZIP"; }
mkdir -p "$scratch/unpacked" "$scratch/player"
(cd "$scratch/unpacked" && unzip -q "$build/zel-gravemill-$version-windows-x64.zip")
status=0
(cd "$scratch/player" && timeout 20 "$wine64" "$scratch"/unpacked/*/zel.exe "${offscreen[@]}" >/dev/null 2>&1) || status=$?
[ $status -eq 124 ] || fail "the unpacked zel.exe ended with $status"
[ -d "$scratch/player/GL_WADs" ] || fail "the unpacked zel.exe made no GL_WADs"
echo "The portable ZIP unpacks and runs."

# --- The installer.
[ -x "$wine32" ] || fail "no 32-bit Wine for the installer: scripts/install-windows-deps.sh installs wine32"
(cd "$build" && cpack -G NSIS >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack -G NSIS"; }
installer="$build/zel-gravemill-$version-windows-x64.exe"
timeout 120 "$wine32" "$installer" /S || fail "the silent install ended with $?"

# Per user: in the player's own Start menu, starting zel.exe in the folder it was put in.
lnk=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/ZEL Gravemill.lnk')
[ -n "$lnk" ] || fail "no Start-menu shortcut in the player's own Start menu"
user=${lnk#"$WINEPREFIX/drive_c/users/"}
user=${user%%/*}
info=$(lnkinfo "$lnk")
target=$(sed -n 's/^\tLocal path\t*: //p' <<<"$info")
workdir=$(sed -n 's/^\tWorking directory\t*: //p' <<<"$info")
expected="C:\\users\\$user\\AppData\\Local\\Programs\\ZEL Gravemill"
[ "$workdir" = "$expected" ] || fail "the shortcut starts in '$workdir', not in '$expected'"
[ "$target" = "$expected\\zel.exe" ] || fail "the shortcut starts '$target'"
folder=$("$wine64" winepath -u "$workdir")
folder=${folder%/}
[ -f "$folder/zel.exe" ] || fail "the shortcut's zel.exe was not installed"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZEL Gravemill'
"$wine64" reg query "$uninstall_key" >"$scratch/reg.txt" 2>&1 || fail "no uninstall entry for the player"
grep -qF "\"$expected\\Uninstall.exe\"" "$scratch/reg.txt" ||
  fail "the uninstall entry names no uninstaller in the program folder"

# Started as the shortcut says: its target, in its working folder.
status=0
(cd "$folder" && timeout 20 "$wine64" "$target" "${offscreen[@]}" >/dev/null 2>&1) || status=$?
[ $status -eq 124 ] || fail "the installed zel.exe ended with $status"
[ -d "$folder/GL_WADs" ] || fail "the installed zel.exe made no GL_WADs in its program folder"
echo "The installer puts zel.exe in the player's profile, and its shortcut starts it there."

# What the player keeps in the program folder.
players=(GL_WADs engine-errors.log engine-output.log zel.cfg zel.cfg.bak zennode.exe)
echo "the player's settings" >"$folder/zel.cfg"
echo "the older settings" >"$folder/zel.cfg.bak"
cp "$build/zel.exe" "$folder/zennode.exe"
echo "output" >"$folder/engine-output.log"
echo "errors" >"$folder/engine-errors.log"
echo "a GL PWAD" >"$folder/GL_WADs/MAP01.wad"
(cd "$folder" && find "${players[@]}" -type f -exec sha256sum {} + | sort) >"$scratch/players.sum"
players_kept() { (cd "$folder" && sha256sum --quiet -c "$scratch/players.sum") >/dev/null 2>&1; }

# A newer version installs over the older one and keeps them.
timeout 120 "$wine32" "$installer" /S || fail "installing over the installed version ended with $?"
players_kept || fail "installing over the installed version changed the player's files"
[ -f "$folder/zel.exe" ] && [ -f "$folder/platforms/qwindows.dll" ] ||
  fail "installing over the installed version left it incomplete"

# While the launcher runs, the uninstaller removes nothing.
installed=$(cd "$folder" && find . | sort)
(cd "$folder" && exec timeout 60 "$wine64" "$target" "${offscreen[@]}" >/dev/null 2>&1) &
running=$!
for _ in $(seq 1 60); do
  "$wine64" tasklist 2>/dev/null | grep -qi '^zel\.exe' && break
  sleep 0.5
done
# In place (_?=) the uninstaller runs in this process, and its status comes back; the folder
# follows unquoted, as NSIS wants it, so it goes through a batch file.
printf '"%s\\Uninstall.exe" /S _?=%s\r\nexit %%ERRORLEVEL%%\r\n' "$workdir" "$workdir" >"$scratch/uninstall.bat"
status=0
timeout 60 "$wine64" cmd /c "$("$wine64" winepath -w "$scratch/uninstall.bat")" >/dev/null 2>&1 || status=$?
kill "$running" 2>/dev/null || true
wait "$running" 2>/dev/null || true
# 2: stopped by the uninstaller itself.
[ $status -eq 2 ] || fail "the uninstaller, started while the launcher runs, ended with $status"
[ "$(cd "$folder" && find . | sort)" = "$installed" ] || fail "the refused uninstall removed files"

# Uninstalled as from the system's list (it copies itself away and returns at once): the
# program's files go, the player's stay.
timeout 60 "$wine32" "$folder/Uninstall.exe" /S || fail "the uninstaller ended with $?"
timeout 120 /usr/lib/wine/wineserver -w || fail "the uninstaller did not end"
left=$(cd "$folder" && LC_ALL=C ls -A | tr '\n' ' ')
[ "$left" = "${players[*]} " ] || fail "after uninstalling, the program folder holds: $left"
players_kept || fail "uninstalling changed the player's files"
[ ! -e "$lnk" ] || fail "the Start-menu shortcut is still there"
! "$wine64" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall entry is still there"
echo "The installer installs over itself and uninstalls, keeping the player's files."
