#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the launcher need.
# Only what is missing is installed, so a second run costs one dpkg query.
set -euo pipefail

packages=(
  cmake g++ make dpkg-dev file
  # checking the Debian package as Debian and software centres would
  lintian appstream desktop-file-utils man-db
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # real peers for the tests and the sample set-up
  chocolate-doom crispy-doom dsda-doom woof-doom freedoom zdbsp
  # looking at the real window
  xvfb xauth xdotool imagemagick fonts-dejavu-core fonts-liberation
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
