// Touch beside the keyboard: fingers on the picture hold the steering keys in the key table, as
// the pads do, so the game reads them as keys. With one worm the picture's left half is Left and
// its right half Right. With two, the right half is the green worm's (the arrow keys) and the
// left half the blue one's (A and S), as their keys lie on a keyboard, and within each half its
// left part turns left. A short touch on the game's screen once its round has ended is Space.
#include <algorithm>

#include "platform/dinput.h"
#include "platform/internal.h"
#include "platform/winuser.h"

namespace {

constexpr int kFingers = 4;
// Each finger holds its key with a bit of its own, after the keyboard's and the two pads'.
constexpr BYTE kFirstFingerHolder = 0x08;
// A touch no longer than this is a tap.
constexpr Uint64 kTapMilliseconds = 300;
// While a round runs its worms move every tick (40 ms), so a picture unchanged for longer is
// a round that has ended: a tap begun during play never skips the crash it ran into.
constexpr Uint64 kStillMilliseconds = 120;
// The frame's request for a round (app/screen.h's UM_START_GAME): wParam 1 is one worm, 2 and 3
// two. The key table does not tell how many worms play, and one layout cannot serve both: the
// right half's left part is Right for one worm and Left for the green one of two.
constexpr UINT kStartRoundMessage = 0x404;
// The point a pointer that is no longer there has: over no button of any screen.
constexpr LPARAM kNowhere = static_cast<LPARAM>(0xFFFFFFFFu);  // (-1, -1)

struct Finger {
    SDL_TouchID device = 0;
    SDL_FingerID id = 0;
    bool down = false;
    unsigned key = 0;  // the key it holds; 0 none
    Uint64 since = 0;
    bool mayTap = false;  // came down where a tap is Space
};
Finger gFingers[kFingers];
int gWorms = 1;

BYTE HolderOf(int slot)
{
    return static_cast<BYTE>(kFirstFingerHolder << slot);
}

void Hold(int slot, unsigned key)
{
    Finger& finger = gFingers[slot];
    if (finger.key == key) return;
    if (finger.key != 0) platform::HoldKey(finger.key, HolderOf(slot), false);
    if (key != 0) platform::HoldKey(key, HolderOf(slot), true);
    finger.key = key;
}

int SlotOf(const SDL_TouchFingerEvent& f)
{
    for (int s = 0; s < kFingers; ++s)
        if (gFingers[s].down && gFingers[s].device == f.touchId && gFingers[s].id == f.fingerId) return s;
    return -1;
}

int FreeSlot()
{
    for (int s = 0; s < kFingers; ++s)
        if (!gFingers[s].down) return s;
    return -1;
}

// The steering key under a finger, from its place on the window, where SDL keeps it (0 to 1 each
// way, the edge for beyond); none outside the picture, nor for a place that is no such number.
unsigned KeyUnder(const SDL_TouchFingerEvent& f)
{
    SDL_Window* window = platform::SdlWindowOf(platform::MainWindow());
    int w = 0;
    int h = 0;
    if (window == nullptr || !platform::PictureSize(&w, &h) || !(f.x >= 0 && f.x <= 1 && f.y >= 0 && f.y <= 1))
        return 0;
    int x = 0;
    int y = 0;
    SDL_GetWindowSize(window, &x, &y);
    // The far edge is the last pixel's.
    x = std::min(static_cast<int>(f.x * static_cast<float>(x)), x - 1);
    y = std::min(static_cast<int>(f.y * static_cast<float>(y)), y - 1);
    platform::PicturePointOf(&x, &y);
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    if (gWorms == 1) return 2 * x < w ? DIK_LEFT : DIK_RIGHT;
    constexpr unsigned kQuarters[] = {DIK_A, DIK_S, DIK_LEFT, DIK_RIGHT};
    return kQuarters[4 * x / w];
}

// Space is the game screen's key after a crash: where the cursor shows, a touch is the mouse.
bool TapMeansSpace(Uint64 now)
{
    return SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE && now - platform::PictureChangedAt() >= kStillMilliseconds;
}

bool AnyDown()
{
    for (const Finger& finger : gFingers)
        if (finger.down) return true;
    return false;
}

// A lifted finger lets go; a tap is Space. The last one gone, the pointer SDL made of the first
// leaves no button shown under it, as a mouse that stays would.
bool Lift(int slot, unsigned* virtualKey, bool* down)
{
    const Finger finger = gFingers[slot];
    Hold(slot, 0);
    gFingers[slot] = Finger{};
    HWND window = platform::MainWindow();
    if (!AnyDown()) PostMessageA(window, WM_MOUSEMOVE, 0, kNowhere);
    if (!finger.mayTap || SDL_GetTicks64() - finger.since > kTapMilliseconds) return false;
    PostMessageA(window, WM_KEYUP, VK_SPACE, 0);
    *virtualKey = VK_SPACE;
    *down = true;
    return true;
}

}  // namespace

namespace platform {

bool TranslateTouch(const SDL_Event& e, unsigned* virtualKey, bool* down)
{
    const SDL_TouchFingerEvent& f = e.tfinger;
    // A mouse's own presses made into touches (SDL_HINT_MOUSE_TOUCH_EVENTS) are the mouse's.
    if ((e.type != SDL_FINGERDOWN && e.type != SDL_FINGERMOTION && e.type != SDL_FINGERUP) ||
        f.touchId == SDL_MOUSE_TOUCHID)
        return false;
    int slot = SlotOf(f);
    if (e.type == SDL_FINGERUP) return slot >= 0 && Lift(slot, virtualKey, down);
    if (e.type == SDL_FINGERDOWN && slot < 0) {
        // A fifth finger holds nothing.
        if ((slot = FreeSlot()) < 0) return false;
        const Uint64 now = SDL_GetTicks64();
        gFingers[slot] = Finger{f.touchId, f.fingerId, true, 0, now, TapMeansSpace(now)};
    }
    // Slid off the picture, a finger lets go at once; back over it, it holds again.
    if (slot >= 0) Hold(slot, KeyUnder(f));
    return false;
}

void LetGoOfTouches()
{
    for (int s = 0; s < kFingers; ++s) {
        Hold(s, 0);
        gFingers[s] = Finger{};
    }
}

void NoteMessage(UINT message, WPARAM wParam)
{
    if (message == kStartRoundMessage && wParam >= 1 && wParam <= 3) gWorms = wParam == 1 ? 1 : 2;
}

}  // namespace platform
