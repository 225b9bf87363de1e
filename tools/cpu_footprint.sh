#!/usr/bin/env bash
# CPU that the game uses beside the floor: a bare SDL program (tools/present_floor.c) that
# only presents one 640 x 480 frame every 40 ms, filling the screen's largest 4:3 rectangle as
# the game does, both full screen on one private X server.
#
#   tools/cpu_footprint.sh [options] [SECONDS] [WIDTHxHEIGHT]      (from the project root)
#
#   --round        click "two players" on the menu and measure the round that starts
#   --hold KEYS    keys held down during the round, as xdotool names them ("Left a")
#   --wm           run both under a window manager (openbox) that carries out full-screen
#                  requests, as a desktop does; without one, a window made full screen at
#                  creation keeps its 640 x 480 size and draws a quarter of what the game does
#   --shot FILE    a PNG of the screen at the end of the game's measurement
#
# Each program runs for 2 s first; then its CPU time is counted over SECONDS (default 10).
# Environment: GAME (default build/lorvex), FLOOR_SRC (default present_floor.c beside this script).
# Needs xvfb, xdotool, cc and libsdl2-dev; --wm needs openbox, --shot imagemagick.
set -euo pipefail

round=0 hold="" wm=0 shot=""
while [ $# -gt 0 ]; do
  case "$1" in
    --round) round=1 ;;
    --hold) hold=$2; shift ;;
    --wm) wm=1 ;;
    --shot) shot=$2; shift ;;
    -*) sed -n '2,17p' "$0" >&2; exit 2 ;;
    *) break ;;
  esac
  shift
done
secs=${1:-10}
size=${2:-1280x1024}
game=${GAME:-build/lorvex}
floor_src=${FLOOR_SRC:-$(dirname "$0")/present_floor.c}
warmup=2
[ -x "$game" ] || { echo "no game at $game: build it first" >&2; exit 1; }
[ -f "$floor_src" ] || { echo "no floor program at $floor_src: set FLOOR_SRC" >&2; exit 1; }

here=$(cd "$(dirname "$0")" && pwd)
. "$here/x_session.sh"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
cc -O2 "$floor_src" -o "$work/present_floor" $(pkg-config --cflags --libs sdl2)

start_x "$size" "$wm"

ticks=$(getconf CLK_TCK)
cpu_of() { awk -v t="$ticks" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$1/stat"; }

# CPU seconds that process $1 spends in the next $secs seconds.
measure() {
  local before after
  before=$(cpu_of "$1")
  sleep "$secs"
  after=$(cpu_of "$1")
  awk -v a="$after" -v b="$before" 'BEGIN { printf "%.2f", a - b }'
}

mkdir -p "$work/home"
HOME=$work/home XDG_DATA_HOME= SDL_AUDIODRIVER=dummy "$game" >/dev/null 2>&1 & gamepid=$!
pids+=($gamepid)
sleep "$warmup"
what=menu
if [ "$round" = 1 ]; then
  what="two-player round"
  click_two_players "$size"
  for k in $hold; do xdotool keydown "$k"; done
  sleep 0.2
fi
gamecpu=$(measure "$gamepid")
[ -n "$shot" ] && import -window root "$shot"
kill -0 "$gamepid" 2>/dev/null || { echo "the game ended during the measurement" >&2; exit 1; }
for k in $hold; do xdotool keyup "$k"; done
kill -TERM "$gamepid"; wait "$gamepid" || true

"$work/present_floor" $((secs + warmup + 1)) >/dev/null & floorpid=$!
pids+=($floorpid)
sleep "$warmup"
floorcpu=$(measure "$floorpid")
wait "$floorpid" || true

awk -v g="$gamecpu" -v f="$floorcpu" -v s="$secs" -v z="$size" -v what="$what" -v wm="$wm" 'BEGIN {
  printf "screen %s%s, %s, %d s: game %.2f CPU s, floor %.2f CPU s, ratio %.2f\n",
         z, (wm ? " with a window manager" : ""), what, s, g, f, (f > 0 ? g / f : 0) }'
