#!/bin/sh
# Runs the start script beside a stand-in launcher that prints the folder it was started in:
# the data folder follows the XDG rules, and without a home nothing is made anywhere.
set -eu
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir "$scratch/bin" "$scratch/home" "$scratch/cwd"
cp "$1" "$scratch/bin/zel-start"
printf '#!/bin/sh\npwd -P\n' >"$scratch/bin/zel"
chmod +x "$scratch/bin/zel" "$scratch/bin/zel-start"
real=$(cd "$scratch" && pwd -P)
start() { (cd "$scratch/cwd" && env "$@" "$scratch/bin/zel-start"); }

[ "$(start HOME="$scratch/home" XDG_DATA_HOME="$scratch/data")" = "$real/data/zel" ] ||
  fail "an absolute XDG_DATA_HOME is not used"
[ "$(start HOME="$scratch/home" XDG_DATA_HOME=rel/data)" = "$real/home/.local/share/zel" ] ||
  fail "a relative XDG_DATA_HOME is not ignored"

# Without a home the data folder would land at the root of the file system.
rootHad=$([ -e /.local ] && echo yes || echo no)
for home in "-u HOME" "HOME="; do
  status=0
  # shellcheck disable=SC2086 # the option and its argument are two words
  said=$(start -u XDG_DATA_HOME $home 2>&1 >"$scratch/out") || status=$?
  [ "$rootHad" = yes ] || [ ! -e /.local ] || { rm -r /.local; fail "$home made /.local"; }
  [ $status -ne 0 ] || fail "$home: exits 0"
  [ ! -s "$scratch/out" ] || fail "$home: zel was started"
  case "$said" in *HOME*) ;; *) fail "$home: says \"$said\"" ;; esac
done
[ -z "$(ls -A "$scratch/cwd")" ] || fail "made something in the current folder"

echo "1 passed, 0 failed"
