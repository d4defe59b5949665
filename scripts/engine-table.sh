#!/usr/bin/env bash
# Runs each of Debian's engines with each piece the launcher composes and prints what the
# engine did with it, as the README's "Engines" table: honours, ignores, refuses (ends at
# once, in failure). Headless: no window, no sound device, a HOME of its own. About 10 min.
# Usage: [PIECE=-playdemo] scripts/engine-table.sh [ENGINE...]
set -uo pipefail

iwad=/usr/share/games/doom/freedoom2.wad
engines=("$@")
[ ${#engines[@]} -gt 0 ] || engines=(chocolate-doom crispy-doom dsda-doom woof)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy HOME=$work/home
# A real PWAD under a name of its own.
cp /usr/share/dsda-doom/dsda-doom.wad "$work/extra.wad"
printf 'show_endoom 0\n' >"$work/noendoom.cfg"

# run SECONDS ENGINE ARGS...: runs the engine in a fresh folder $dir and closes it (SIGTERM,
# then SIGKILL) after SECONDS. Sets rc, ended (1: it ended by itself) and out.
run() {
  local seconds=$1 engine=$2 ticks=0
  shift 2
  dir=$work/run
  rm -rf "$dir" && mkdir -p "$dir"
  # Line-buffered, so that an engine ended by a signal leaves what it wrote.
  (cd "$dir" && exec stdbuf -oL -eL "/usr/games/$engine" "$@" >out 2>&1) &
  local pid=$!
  ended=1
  while kill -0 "$pid" 2>/dev/null; do
    sleep 0.2
    ticks=$((ticks + 1))
    if [ $ticks -eq $((seconds * 5)) ]; then
      ended=0
      kill -TERM "$pid" 2>/dev/null
    elif [ $ticks -gt $((seconds * 5 + 25)) ]; then
      kill -KILL "$pid" 2>/dev/null
    fi
  done
  wait "$pid"
  rc=$?
  out=$(tr -d '\0' <"$dir/out" | sed "s|$HOME|~|g")
}

refused() { [ $ended -eq 1 ] && [ $rc -ne 0 ] && ! grep -q "recorded" <<<"$out"; }
# How it refused: an end by a signal is a crash.
refusal() { if [ $rc -gt 128 ] && [ $rc -lt 193 ]; then echo "crashes (signal $((rc - 128)))"; else echo "refuses${1:-}"; fi; }

# The demo header's field FIELD (skill, map, respawn, fast, nomonsters) of $dir/d.lmp:
# vanilla demos (version 109) and woof's MBF21 demos (221) keep them in different places.
field() {
  local -a bytes
  [ -s "$dir/d.lmp" ] || { echo "-"; return; }
  read -r -a bytes <<<"$(od -An -tu1 -w24 -N24 -v "$dir/d.lmp")"
  local -A vanilla=([skill]=1 [map]=3 [respawn]=5 [fast]=6 [nomonsters]=7)
  local -A mbf21=([skill]=7 [map]=9 [respawn]=15 [fast]=16 [nomonsters]=17)
  case ${bytes[0]} in
    109) echo "${bytes[${vanilla[$1]}]}" ;;
    221) echo "${bytes[${mbf21[$1]}]}" ;;
    *) echo "?" ;;
  esac
}

# record ENGINE ARGS...: records d.lmp with the engine's own way to end (see the README).
record() {
  local engine=$1
  shift
  case $engine in
    chocolate-doom) run 30 "$engine" -iwad "$iwad" -nosound -maxdemo 1 -record d "$@" ;;
    dsda-doom) run 6 "$engine" -iwad "$iwad" -nosound -complevel 2 -record d "$@" ;;
    *) run 6 "$engine" -iwad "$iwad" -nosound -record d "$@" ;;
  esac
}

# The cell for a switch or value seen in the demo header.
headerCell() {
  local name=$1 want=$2
  if refused; then refusal; return; fi
  local got
  got=$(field "$name")
  if [ "$got" = "-" ]; then echo "no demo to read"; return; fi
  if [ "$got" = "$want" ] || { [ "$want" = on ] && [ "$got" != 0 ]; }; then
    echo "honours"
  else
    echo "ignores"
  fi
}

soundLines() { grep -iE "sound|music|sfx|snd|mus_|opl" <<<"$out" | grep -v "^$" | sort -u; }

cell() {
  local engine=$1 piece=$2 base
  case $piece in
    -iwad)
      run 6 "$engine" -iwad "$iwad" -warp 1 -nosound
      if refused; then refusal; elif grep -q "freedoom2.wad" <<<"$out"; then echo honours; else echo ignores; fi ;;
    -file)
      run 6 "$engine" -iwad "$iwad" -file "$work/extra.wad" -warp 1 -nosound
      if refused; then refusal; elif grep -q "extra.wad" <<<"$out"; then echo honours; else echo ignores; fi ;;
    "-warp 2"|"-warp 1 2")
      local want=2
      [ "$piece" = "-warp 1 2" ] && want=1
      record "$engine" $piece
      if [ "$engine" = crispy-doom ]; then
        if refused; then refusal; else echo "level: $(grep -o 'P_SetupLevel: MAP0[0-9]' <<<"$out" | head -1 | cut -c15-)"; fi
      else
        local got
        got=$(field map)
        if refused; then refusal; else echo "level: MAP0$got"; fi
      fi ;;
    "-skill 5") [ "$engine" = crispy-doom ] && { echo "runs"; return; }; record "$engine" -warp 1 -skill 5; headerCell skill 4 ;;
    -nomonsters|-respawn|-fast)
      [ "$engine" = crispy-doom ] && { run 6 "$engine" -iwad "$iwad" -warp 1 -nosound "$piece"; if refused; then refusal; else echo runs; fi; return; }
      record "$engine" -warp 1 "$piece"; headerCell "${piece#-}" on ;;
    -record)
      record "$engine" -warp 1
      if refused; then refusal; elif [ -s "$dir/d.lmp" ]; then echo "honours (working folder)"; else echo "no demo when closed"; fi ;;
    -playdemo)
      record chocolate-doom -warp 1
      cp "$dir/d.lmp" "$work/demo.lmp"
      local quiet=()
      case $engine in chocolate-doom|crispy-doom) quiet=(-extraconfig "$work/noendoom.cfg") ;; esac
      run 40 "$engine" -iwad "$iwad" -nosound "${quiet[@]}" -playdemo "$work/demo.lmp"
      if [ $ended -eq 1 ] && [ $rc -eq 0 ]; then echo honours; elif refused; then refusal; else echo "does not end"; fi ;;
    "-loadgame 0")
      run 6 "$engine" -iwad "$iwad" -nosound -loadgame 0
      if refused && grep -q "Unknown command line option" <<<"$out"; then refusal ": Unknown command line option -loadgame"
      elif refused; then refusal " (no saved game): $(grep -v '^$' <<<"$out" | tail -1)"; else echo "runs without a saved game"; fi ;;
    "-turbo 150")
      run 6 "$engine" -iwad "$iwad" -nosound -warp 1 -turbo 150
      if refused; then refusal; elif grep -qi "turbo" <<<"$out"; then echo honours; else echo "runs, says nothing"; fi ;;
    "-maxdemo 1")
      run 30 "$engine" -iwad "$iwad" -nosound -warp 1 -record d -maxdemo 1 $([ "$engine" = dsda-doom ] && echo -complevel 2)
      if refused; then refusal; elif grep -q "recorded" <<<"$out" && [ $ended -eq 1 ]; then echo "honours (ends with status $rc)"; else echo ignores; fi ;;
    -nomusic|-nosfx|-nosound)
      run 8 "$engine" -iwad "$iwad" -warp 1
      base=$(soundLines)
      run 8 "$engine" -iwad "$iwad" -warp 1 "$piece"
      if refused; then refusal; elif [ "$(soundLines)" != "$base" ]; then echo honours; else echo "runs, says nothing"; fi ;;
    -devparm)
      run 6 "$engine" -iwad "$iwad" -nosound -warp 1 -devparm
      if refused; then refusal; elif grep -qiE "devparm|development mode" <<<"$out"; then echo honours; else echo "runs, says nothing"; fi ;;
    "extra -")
      run 6 "$engine" -iwad "$iwad" -nosound -warp 1 -
      if refused; then refusal ": $(tail -n 3 <<<"$out" | grep -v '^$' | tail -1)"; else echo ignores; fi ;;
  esac
}

pieces=(-iwad -file "-warp 2" "-warp 1 2" "-skill 5" -record -playdemo "-loadgame 0" "-turbo 150"
  "-maxdemo 1" -nomonsters -respawn -fast -nomusic -nosfx -nosound -devparm "extra -")
# PIECE=-playdemo measures that row only.
[ -z "${PIECE:-}" ] || pieces=("$PIECE")

printf '| Piece |'
printf ' %s |' "${engines[@]}"
printf '\n|---|'
printf -- '---|%.0s' "${engines[@]}"
printf '\n'
for piece in "${pieces[@]}"; do
  printf '| `%s` |' "$piece"
  for engine in "${engines[@]}"; do
    if [ -x "/usr/games/$engine" ]; then
      printf ' %s |' "$(cell "$engine" "$piece")"
    else
      printf ' not installed |'
    fi
  done
  printf '\n'
done
