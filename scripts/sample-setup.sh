#!/usr/bin/env bash
# Prepares, once, a sample set-up in FOLDER, the launcher's working folder, so that a new
# user selects the engine and an IWAD, clicks "play" and plays: an engine folder with each
# of Debian's engines that is installed, an IWAD folder and an IWAD safe folder with the Freedoom IWADs,
# an empty PWAD folder, and a zel.cfg that points the lists at them.
# A FOLDER that already holds a zel.cfg is the user's own and stays as it is.
# Usage: scripts/sample-setup.sh FOLDER
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
engines=(/usr/games/chocolate-doom /usr/games/crispy-doom /usr/games/dsda-doom /usr/games/woof)
iwads=(/usr/share/games/doom/freedoom1.wad /usr/share/games/doom/freedoom2.wad)

warn() { echo "sample-setup: $*" >&2; }

# One value of the settings file: in double quotes, a double quote inside doubled.
settings_value() {
  local quote='"'
  printf '"%s"' "${1//$quote/$quote$quote}"
}

write_settings() {
  local folder=$1 record
  record="$(settings_value "$folder/engines/"),$(settings_value "$folder/iwads/")"
  record+=",$(settings_value "$folder/pwads/"),$(settings_value "$folder/pwads/")"
  record+=",$(settings_value "$folder/iwad-safe/"),$(settings_value Gravemill)"
  # noclobber: a zel.cfg that appeared meanwhile is not replaced.
  (set -o noclobber; printf '%s\r\n' "$record" >"$folder/zel.cfg")
}

main() {
  local folder=${1:?usage: sample-setup.sh FOLDER}
  mkdir -p "$folder"
  folder=$(cd "$folder" && pwd -P)

  # The node builder that "make GL PWAD" starts from this folder; users with a zel.cfg of
  # their own get it too. One the user put there stays.
  if [ ! -e "$folder/zennode" ] && [ ! -L "$folder/zennode" ]; then
    if command -v zdbsp >/dev/null; then
      cp "$here/zennode-zdbsp" "$folder/zennode"
    else
      warn "zdbsp is missing; \"make GL PWAD\" needs a zennode in $folder"
    fi
  fi

  if [ -e "$folder/zel.cfg" ] || [ -L "$folder/zel.cfg" ]; then
    return 0
  fi

  mkdir -p "$folder/engines" "$folder/iwads" "$folder/iwad-safe" "$folder/pwads"
  local engine found=0
  for engine in "${engines[@]}"; do
    [ -x "$engine" ] || continue
    found=1
    [ -e "$folder/engines/${engine##*/}" ] || ln -s "$engine" "$folder/engines/"
  done
  [ $found -eq 1 ] || warn "none of ${engines[*]} is installed; the engine folder stays empty"
  for wad in "${iwads[@]}"; do
    if [ ! -f "$wad" ]; then
      warn "$wad is missing"
      continue
    fi
    # Copies, as "make GL IWAD" rewrites the IWADs of this folder in place; the safe
    # folder is only read from, so links do.
    cp -n "$wad" "$folder/iwads/"
    [ -e "$folder/iwad-safe/${wad##*/}" ] || ln -s "$wad" "$folder/iwad-safe/"
  done
  write_settings "$folder"
  echo "sample-setup: prepared a sample set-up in $folder"
}

main "$@"
