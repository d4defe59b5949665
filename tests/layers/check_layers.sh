#!/usr/bin/env bash
# The layers as the folders show them, checked on every include of src/: pure logic and the
# platform never reach up into widgets; a feature's controller reaches neither the window nor
# another feature; the window includes a controller only where it creates the controllers.
set -euo pipefail
src=${1:?the src folder}
cd "$src"
status=0
fail() { echo "FAIL: $*"; status=1; }

includes() { # files... -> "file: included path" for the project's own includes
  grep -H -o '#include "[^"]*"' "$@" 2>/dev/null | sed 's/#include "\(.*\)"/\1/' || true
}

check() { # what, allowed pattern (extended regex of included paths), files...
  local what=$1 allowed=$2
  shift 2
  while IFS=: read -r file path; do
    [ -n "$file" ] || continue
    [[ "$path" =~ $allowed ]] || fail "$what: $file includes $path"
  done < <(includes "$@")
}

mapfile -t core < <(find core -name '*.h' -o -name '*.cpp' | sort)
mapfile -t platform < <(find platform -maxdepth 1 \( -name '*.h' -o -name '*.cpp' \) | sort)
check "pure logic" '^(core|platform)/[A-Za-z]+\.h$|^core/' "${core[@]}"
check "platform" '^platform/[A-Za-z]+\.h$' "${platform[@]}"
check "controls" '^(controls|lists|core|platform)/' controls/*
check "lists" '^(core|platform|lists)/' lists/*
for feature in launch nodes files; do
  check "$feature controller" "^($feature|core|platform|controls|lists)/" "$feature"/*
done
while IFS=: read -r file path; do
  [[ "$path" == */*Controller.h && "$file" != app/Form1.cpp ]] &&
    fail "the window: $file includes $path"
done < <(includes app/*)

[ $status -eq 0 ] && echo "1 passed, 0 failed"
exit $status
