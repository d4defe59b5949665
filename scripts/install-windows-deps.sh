#!/usr/bin/env bash
# Installs what the Windows build needs: the MinGW-w64 cross compilers, Wine and the faces
# Windows has to run its tests (wine32 too: the NSIS installer is a 32-bit program), NSIS for the
# installer, icoutils for zel.exe's icon and its check, liblnk-utils and xmllint to read the
# installer's shortcut and zel.exe's manifest back, this machine's g++ and Qt for the icon
# drawer, and a Qt for MinGW at $ZEL_QT_MINGW (default /opt/qt6-mingw64).
# The Qt comes from ../shared/windows/ beside the checkout when that is there; otherwise it is
# built from Debian's own Qt source (about 25 minutes on 2 cores). A second run costs one
# dpkg query and one look at the Qt folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
qt=${ZEL_QT_MINGW:-/opt/qt6-mingw64}

packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine32:i386
          nsis icoutils liblnk-utils libxml2-utils ninja-build cmake g++ qt6-base-dev qt6-base-dev-tools xz-utils
          fonts-wine)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # wine32 comes from Debian's i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ -x "$qt/bin/qt-cmake" ] && exit 0
tarball="$root/../shared/windows/qt-6.4.2-mingw64.tar.xz"
if [ -f "$tarball" ]; then
  # The tree unpacks as qt6-mingw64/ and works from any folder.
  parent=$(dirname "$qt")
  $sudo mkdir -p "$parent"
  unpack=$($sudo mktemp -d "$parent/.qt-mingw-XXXX")
  $sudo tar -C "$unpack" -xJf "$tarball"
  $sudo rm -rf "$qt"
  $sudo mv "$unpack/qt6-mingw64" "$qt"
  $sudo rm -rf "$unpack"
  echo "Qt for MinGW-w64 unpacked in $qt"
else
  $sudo "$root/packaging/windows/build-qt.sh" "$qt"
fi
