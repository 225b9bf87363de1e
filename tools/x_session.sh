# Sourced by the scripts beside it: a private X server of a given size, and the screen
# point of a point of the game's 640 x 480 picture on it.

# Starts Xvfb at $1 (WIDTHxHEIGHT) on a free display, exports DISPLAY, adds its pid to
# the array `pids`; with $2 = 1, also a window manager (openbox).
start_x() {
  local size=$1 wm=${2:-0}
  export DISPLAY=":$((100 + $$ % 100))"
  Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 & pids+=($!)
  sleep 1
  if [ "$wm" = 1 ]; then
    openbox >/dev/null 2>&1 & pids+=($!)
    sleep 1
  fi
}

# Prints "X Y" on a WIDTHxHEIGHT screen ($1) for picture point $2, $3: the picture is
# scaled to the largest 4:3 size that fits, and centred.
screen_point() {
  awk -v w="${1%x*}" -v h="${1#*x}" -v x="$2" -v y="$3" 'BEGIN {
    pw = w; ph = h
    if (w * 480 > h * 640) pw = int((h * 640 + 240) / 480); else ph = int((w * 480 + 320) / 640)
    printf "%d %d\n", int((w - pw) / 2) + int((x + 0.5) * pw / 640), int((h - ph) / 2) + int((y + 0.5) * ph / 480) }'
}

# Clicks the menu's "two players" button.
click_two_players() {
  local bx by
  read -r bx by < <(screen_point "$1" 320 200)
  xdotool mousemove "$bx" "$by" click 1
}
