#!/usr/bin/env bash
# Plants known faults in the game one at a time and counts which of them the test suite catches.
#   tools/plant_faults.sh [ref] [number...]
# ref: the commit whose code and tests are tried (HEAD when not given); numbers: only those faults.
# Works on a copy of that commit in $FAULT_DIR (/tmp/lorvex-faults), never on this tree: each fault
# is a sed edit of one file, the tests are rebuilt and ctest runs until the first failure. A fault
# whose edit no longer matches is reported as "not planted", so a changed line shows at once.
# Takes about a minute a fault on two cores. SANITIZE=1 builds the copy under AddressSanitizer,
# as .ci/sanitize.sh does (a second copy; slower). The fuzz replays under valgrind are left out: they
# need the fuzz targets and check the settings reader, which has its own tests here.
set -uo pipefail

faults=()
# fault "what goes wrong" file 'sed script'
fault() { faults+=("$1"$'\t'"$2"$'\t'"$3"); }

# The rules
fault "two worms grow as much per food as one" game/game_screen.cpp 's/gLevel != 1) ? gLevel - 1 : gLevel/gLevel != 1) ? gLevel : gLevel/'
fault "a total of 15 raises the level" game/game_screen.cpp 's/total > kRaiseAbove/total >= kRaiseAbove/'
fault "a match restart gives worm 1 the points of worm 0" game/game_screen.cpp 's/worms\[1\].wins = wins1;/worms[1].wins = wins0;/'
fault "both turn keys down turn right" game/game_screen.cpp 's/keyboard.IsDown(DIK_LEFT) ? -1 : (keyboard.IsDown(DIK_RIGHT) ? 1 : 0)/keyboard.IsDown(DIK_RIGHT) ? 1 : (keyboard.IsDown(DIK_LEFT) ? -1 : 0)/'
fault "the level is written only at exit" game/game_screen.cpp 's/if (gLevel != before \&\& app != nullptr)/if (false \&\& app != nullptr)/'
fault "the top speed is 11" game/game_screen_items.cpp 's/kMaxSpeed = 10;/kMaxSpeed = 11;/'
fault "an item exactly 20 away is not eaten" game/game_screen_items.cpp 's/<= kEatReach/< kEatReach/'
fault "the fifth segment behind the head hits it" game/game_screen_items.cpp 's/kOwnNeck = 6;/kOwnNeck = 5;/'
fault "the right wall one pixel further out" game/game_screen_items.cpp 's/kWallRight = 610.0/kWallRight = 611.0/'
fault "a crash scores for the crashed worm" game/game_screen_items.cpp 's/worms\[1 - i\].wins += 1/worms[i].wins += 1/'
fault "turning left from up wraps to up" game/game_screen_movement.cpp 's/else if (worm.direction < 0) worm.direction = kHeadings - 1;/else if (worm.direction < 0) worm.direction = 0;/'
# What the game screen draws
fault "the crash frames start one row late" game/game_screen_movement.cpp 's/crashRow = worm.crashTicks + 1;/crashRow = worm.crashTicks + 2;/'
fault "every ninth segment is marked" game/game_screen_render.cpp 's/kMarkEvery = 10;/kMarkEvery = 9;/'
fault "a total of 9 is orange" game/game_screen_render.cpp 's/kLowTotal = 10;/kLowTotal = 9;/'
fault "orange a little redder" game/game_screen_render.cpp 's/kOrange = 0x0080FF/kOrange = 0x0070FF/'
fault "worm 0's match points on the left" game/game_screen_render.cpp 's/worms\[0\].wins, kWorm0WinsBox/worms[0].wins, kWorm1WinsBox/'
fault "the total two pixels right" game/game_screen_render.cpp 's/kTotalBox{270, 462, 370, 678}/kTotalBox{272, 462, 372, 678}/'
fault "worm 0 drawn over worm 1" game/game_screen_render.cpp 's/for (std::int32_t i = 0; i < wormCount; ++i) DrawWorm(worms\[i\]);/for (std::int32_t i = wormCount - 1; i >= 0; --i) DrawWorm(worms[i]);/'
fault "sprites one pixel low" game/game_screen_render.cpp 's/centreY - kSpriteCellSize \/ 2)/centreY - kSpriteCellSize \/ 2 + 1)/'
fault "the score in the device context's own font" game/game_screen_render.cpp 's/HGDIOBJ oldFont = SelectObject(dc, scoreFont.GetSafeHandle());/HGDIOBJ oldFont = nullptr;/'
fault "the faster bonus shows the slower one's cell" game/sprite_sheet.h 's/kFasterBonusCell = SpriteCell(1,/kFasterBonusCell = SpriteCell(2,/'
# What the menu and the about screen draw, and the buttons
fault "the pair button shows the match label" screens/menu_screen.cpp 's/{245, 185}, 510,/{245, 185}, 540,/'
fault "the level in yellow" screens/menu_screen.cpp 's/SetTextColor(dc, RGB(255, 255, 255))/SetTextColor(dc, RGB(255, 255, 0))/'
fault "the level one pixel right" screens/menu_screen.cpp 's/kLevelBox{300, 110, 340, 130}/kLevelBox{301, 110, 341, 130}/'
fault "the level in a smaller font" screens/menu_screen.cpp 's/CreateFontA(20,/CreateFontA(18,/'
fault "the about button two pixels low" screens/about_screen.cpp 's/NewStripButton(245, 410, 480)/NewStripButton(245, 412, 480)/'
fault "the about button used after it is deleted" screens/about_screen.cpp 's/    delete backButton;/    delete backButton;\n    backButton->Reset();/'
fault "button frames drawn without their colour key" gfx/sprite_button.cpp 's/source, &frame, DDBLTFAST_SRCCOLORKEY/source, \&frame, DDBLTFAST_NOCOLORKEY/'
fault "a point on a button's right edge is inside" gfx/sprite_button.cpp 's/x < screenRect.right/x <= screenRect.right/'
fault "a pressed button dragged back in shows hover" gfx/sprite_button.cpp 's/state = inside ? (wasOff ? 2 : 0)/state = inside ? (wasOff ? 1 : 0)/'
fault "the screen pictures miss their last row" screens/screen_picture.cpp 's/RECT screen{0, 0, kScreenWidth, kScreenHeight};/RECT screen{0, 0, kScreenWidth, kScreenHeight - 1};/'
fault "text centred half a pixel right" platform/gdi.cpp 's/place.x += (box.w - line->w) \/ 2;/place.x += (box.w - line->w + 1) \/ 2;/'
# The scaling and the mouse
fault "the picture a pixel too wide at a non-integer scale" platform/ddraw.cpp 's/place.w = (h \* pictureWidth + pictureHeight \/ 2) \/ pictureHeight;/place.w = (h * pictureWidth + pictureHeight \/ 2) \/ pictureHeight + 1;/'
fault "the non-integer scaling without its smoothing" platform/ddraw.cpp 's/SDL_SoftStretchLinear(enlarged_.get(), nullptr, scaled, &to);/SDL_SoftStretch(enlarged_.get(), nullptr, scaled, \&to);/'
fault "a stale picture after a change of size" platform/ddraw.cpp 's/if (place.w != place_.w || place.h != place_.h) DropTexture();//'
fault "the picture a pixel off the middle" platform/ddraw.cpp 's/place.x = (w - place.w) \/ 2;/place.x = (w - place.w + 1) \/ 2;/'
fault "a whole scale smoothed" platform/ddraw.cpp 's/SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeNearest);/SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeLinear);/'
fault "mouse points rounded to the pixel's left edge" platform/ddraw.cpp 's/\*x = FloorDiv((2LL \* (\*x - place.x) + 1)/*x = FloorDiv((2LL * (*x - place.x))/'
# The settings file
fault "a stored level above 20 is kept" app/worm_app.cpp 's/if (gLevel > kMaxLevel) gLevel = kMaxLevel;//'
fault "the settings file written read-only" platform/profile_store.cpp 's/kOwnerReadWrite = S_IRUSR | S_IWUSR;/kOwnerReadWrite = S_IRUSR;/'
fault "the level written with blanks round the =" platform/profile_store.cpp 's/std::string(entry) + "=" + std::to_string(value)/std::string(entry) + " = " + std::to_string(value)/'

# The tree the script lies in, or the current one for a copy of the script kept elsewhere.
cd "$(git -C "$(dirname "$0")" rev-parse --show-toplevel 2>/dev/null || pwd)" || exit 2
ref="${1:-HEAD}"
[ $# -gt 0 ] && shift
only=("$@")
work="${FAULT_DIR:-/tmp/lorvex-faults}"
name="$(git rev-parse --short "$ref")" || exit 2
flags=()
if [ "${SANITIZE:-0}" = 1 ]; then
  name="$name-asan"
  sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  flags=(-DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize")
  export LORVEX_SOAK_TICKS=10000
fi
src="$work/$name"
logs="$work/$name-logs"
results="$work/results-$name.txt"
mkdir -p "$src" "$logs"
git archive "$ref" | tar -x -C "$src"

build() { cmake --build "$src/build" --target lorvex_tests > "$logs/build.log" 2>&1; }
# In the order of the files, not longest first: the soak test comes late, so a fault caught
# early does not wait for it.
run_suite() { rm -f "$src/build/Testing/Temporary/CTestCostData.txt"; (cd "$src/build" && ctest -j2 -E valgrind --timeout 300 --stop-on-failure); }

echo "Building $name in $src"
cmake -S "$src" -B "$src/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLORVEX_BENCHMARKS=OFF "${flags[@]}" > "$logs/build.log" &&
  build || { echo "the unchanged tree does not build: $logs/build.log"; exit 1; }
run_suite > "$logs/clean.log" 2>&1 || { echo "the unchanged tree fails its tests: $logs/clean.log"; exit 1; }

: > "$results"
caught=0
missed=0
for i in "${!faults[@]}"; do
  n=$((i + 1))
  if [ ${#only[@]} -gt 0 ] && [[ ! " ${only[*]} " =~ " $n " ]]; then continue; fi
  IFS=$'\t' read -r what file script <<< "${faults[$i]}"
  cp "$src/$file" "$logs/original"
  sed -i -e "$script" "$src/$file"
  if cmp -s "$src/$file" "$logs/original"; then
    verdict="not planted"
  elif ! build; then
    verdict="does not build"
  elif run_suite > "$logs/fault-$n.log" 2>&1; then
    verdict="MISSED"
    missed=$((missed + 1))
  else
    verdict="caught by $(sed -n '/tests FAILED:/{n;p;q}' "$logs/fault-$n.log" | sed -E 's/^\s*[0-9]+ - ([^ ]+).*/\1/')"
    caught=$((caught + 1))
  fi
  cp "$logs/original" "$src/$file"
  printf '%2d  %-55s %s\n' "$n" "$what" "$verdict" | tee -a "$results"
done
build
echo "$name: $caught caught, $missed missed (list in $results)" | tee -a "$results"
