// The cursor and the screen's measures, as the system gives them to the game.
#include "platform/internal.h"
#include "platform/winuser.h"

namespace {
int gCursorCount = 0;  // shown while 0 or more, as the system counts
}  // namespace

int ShowCursor(BOOL show)
{
    gCursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(gCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return gCursorCount;
}

// The screen is the display mode's (0 x 0 while none is set); the window never shows a caption.
int GetSystemMetrics(int index)
{
    int w = 0;
    int h = 0;
    platform::PictureSize(&w, &h);
    return index == SM_CXSCREEN ? w : (index == SM_CYSCREEN ? h : 0);
}

// With no caption nor frame, the window's rectangle is its client rectangle.
BOOL AdjustWindowRectEx(RECT* /*rect*/, DWORD /*style*/, BOOL /*menu*/, DWORD /*exStyle*/)
{
    return TRUE;
}
