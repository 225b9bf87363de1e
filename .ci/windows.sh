#!/usr/bin/env bash
# The Windows build and its check: both programs are built (./build.sh windows), import only
# system DLLs, have no console and carry their pictures and icon as resources; the 64-bit one
# is played under wine64 on a 640 x 480 x 16 Xvfb screen: the menu shows the menu picture,
# "one player" starts a round, the worm runs up into the wall, Space returns to the menu, Esc
# ends the program with status 0, and the registry holds the level as the level rule left it.
# The 32-bit one is not run: this kernel cannot run 32-bit programs.
# Screenshots stay in build-win64/wine-shots/.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
./build.sh windows

work=$(mktemp -d) game_pid='' xvfb_pids=() passed=0 failed=0
wine=/usr/lib/wine/wine64 key='HKCU\Software\Tamberlo\lorvex\Nastaveni'
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
cleanup() {
  [ -z "$game_pid" ] || kill "$game_pid"; /usr/lib/wine/wineserver -k 2> /dev/null || true
  for pid in "${xvfb_pids[@]}"; do kill "$pid"; done; rm -rf "$work"
}
trap cleanup EXIT
check() {
  local name=$1; shift
  if "$@" > "$work/out" 2>&1; then passed=$((passed + 1)); echo "ok: $name"
  else failed=$((failed + 1)); echo "FAILED: $name"; cat "$work/out"; fi
}

# ---- the programs
imports() { objdump -p "$1" | sed -n 's/^\tDLL Name: //p'; }
windows_program() {
  ! imports "$1" | grep -viE '^(ADVAPI32|DDRAW|DINPUT|GDI32|KERNEL32|msvcrt|USER32)\.dll$' &&
    objdump -p "$1" | grep 'Subsystem.*Windows GUI' &&
    [ "$(x86_64-w64-mingw32-windres -i "$1" -O rc | grep -oE '^("IDB_[A-Z]+" 2|[0-9]+ 3|128 14) ' | LC_ALL=C sort |
         tr -d '\n')" = '"IDB_ABOUT" 2 "IDB_GROUND" 2 "IDB_HRA" 2 "IDB_MENU" 2 1 3 128 14 2 3 3 3 4 3 ' ]
}
for arch in 64:x64 32:x86; do
  exe=build-win${arch%:*}/lorvex.exe
  echo "== $exe: $(stat -c %s "$exe") bytes, imports" $(imports "$exe")
  check "$exe: system DLLs only, no console, the pictures and icon group 128" windows_program "$exe"
  check "its zip holds it and how to play" grep -q 'How to play.txt' \
    <(unzip -l build-win${arch%:*}/lorvex-*-windows-${arch#*:}.zip)
done

# ---- sessions under wine
start_x() {  # start_x WIDTHxHEIGHT: a screen of 16 bits per pixel on a free display
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "$1x16" -nolisten tcp 3> "$work/display" 2> /dev/null & xvfb_pids+=($!)
  until [ -s "$work/display" ]; do sleep 0.1; done
  export DISPLAY=:$(cat "$work/display")
}
within() {  # within SECONDS COMMAND...: until the command succeeds
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done
}
shot() { import -window root "$work/$1.png"; }
# The frame is drawn at the window's client origin, which the game places a border's width
# above and left of the screen's: picture point (x, y) is at (x - ox, y - oy).
origin() {
  local geometry; geometry=$(xwininfo -name Lorvex 2> /dev/null) || return 1
  read -r ox oy < <(awk '/Absolute upper-left X/ { x = -$4 } /Absolute upper-left Y/ { print x, -$4 }' <<< "$geometry")
}
# ae SHOT PICTURE W H X Y: how many pixels of the region at picture point X, Y differ.
ae() { compare -metric AE -fuzz 4% "$work/$1.png[$3x$4+$(($5 - ox))+$(($6 - oy))]" "res/$2.bmp[$3x$4+$5+$6]" null: 2>&1; }
same() { [ "$(ae "$@")" = 0 ]; }
differs() { local n; n=$(ae "$@") || true; [[ $n =~ ^[0-9]+$ ]] && [ "$n" -gt 100 ]; }
menu_shown() {  # the menu picture everywhere but the buttons and the level
  origin && shot menu && same menu IDB_MENU 240 474 3 3 && same menu IDB_MENU 240 474 397 3 &&
    same menu IDB_MENU 150 104 245 3 && same menu IDB_MENU 150 140 245 337
}
worm_near_bottom() { shot round && differs round IDB_GROUND 40 220 380 200; }
worm_crashed_at_top() {
  shot crash && sleep 0.5 && shot still && differs crash IDB_GROUND 40 50 380 3 &&
    [ "$(compare -metric AE "$work/crash.png" "$work/still.png" null: 2>&1)" = 0 ]
}
set_level() { "$wine" reg add "$key" /v level /t "$1" /d "$2" /f > /dev/null; }
level_is() { "$wine" reg query "$key" /v level | tr -d '\r' | grep -q "REG_DWORD *$1$"; }
start_game() { "$wine" build-win64/lorvex.exe > /dev/null 2>&1 & game_pid=$!; within 30 menu_shown; }
ended_with() { within 15 eval '! kill -0 $game_pid 2> /dev/null' || return 1; local s=0; wait "$game_pid" || s=$?; game_pid=''; [ $s = "$1" ]; }

start_x 640x480
"$wine" wineboot -i > /dev/null 2>&1
# What a Windows machine has as the level's serif face: its look-alike here.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'DejaVu Serif' /f > /dev/null
# Level 25 is out of range: the game shows 20, a round scoring below 10 lowers it to 19.
set_level REG_DWORD 25
check "the menu shows the menu picture" start_game
xdotool mousemove $((320 - ox)) $((160 - oy)) click 1
check "one player starts a round with the worm at the bottom" within 5 worm_near_bottom
check "the worm runs up and crashes into the wall" within 15 worm_crashed_at_top
mkdir -p build-win64/wine-shots && cp "$work"/{menu,round,crash}.png build-win64/wine-shots/
xdotool key space
check "Space returns to the menu" within 10 menu_shown
xdotool key Escape
check "Esc ends the program with status 0" ended_with 0
check "the level was clamped to 20 and lowered to 19" level_is 0x13

# A level of the wrong type is no level: the game starts at 1 and stores 1 as a number.
set_level REG_SZ 5
check "the game starts again" start_game
xdotool key Escape
check "a level stored as text gives level 1" eval 'ended_with 0 && level_is 0x1'

# A screen too small for the 640 x 480 mode: DirectDraw refuses it, start-up ends silently
# (a message box would keep the program from ending by itself) and still writes the level.
set_level REG_DWORD 30
/usr/lib/wine/wineserver -k || true  # the next session runs on another screen
start_x 320x240
"$wine" build-win64/lorvex.exe > /dev/null 2>&1 & game_pid=$!
check "without the display mode the program ends by itself with status 1" ended_with 1
check "and stores the level, clamped to 20" level_is 0x14

echo "windows check took $((SECONDS - started)) s"
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
