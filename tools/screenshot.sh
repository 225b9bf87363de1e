#!/usr/bin/env bash
# Takes the screenshot that the package ships: the game on a 640 x 480 X server, so the
# picture is exactly the game's own frame.
#   tools/screenshot.sh [--round] [FILE]     (from the project root; FILE defaults to
#                                             packaging/screenshot.png)
#   --round   click "two players" first and take the round a few seconds in
# Environment: GAME (default build/lorvex). Needs xvfb and imagemagick; --round, xdotool.
set -euo pipefail
round=0
[ "${1:-}" = --round ] && { round=1; shift; }
out=${1:-packaging/screenshot.png}
game=${GAME:-build/lorvex}
[ -x "$game" ] || { echo "no game at $game: build it first" >&2; exit 1; }

here=$(cd "$(dirname "$0")" && pwd)
. "$here/x_session.sh"
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
start_x 640x480

mkdir -p "$work/home"
HOME=$work/home XDG_DATA_HOME= SDL_AUDIODRIVER=dummy "$game" >/dev/null 2>&1 & pids+=($!)
sleep 2
if [ "$round" = 1 ]; then
  click_two_players 640x480
  sleep 3
fi
import -window root -strip "$out"
echo "wrote $out"
