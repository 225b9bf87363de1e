// In the browser the canvas fills the page and follows its size, and the page's own button
// takes it to full screen: no display mode is kept here, Alt+Enter is the browser's, and no
// window choice is stored.
#include "platform/internal.h"

namespace platform {

Uint32 SystemWindowFlags()
{
    return SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;  // in the display's own pixels
}

void RequestStart(StartIn) {}

void ShowDisplayMode(SDL_Window*, int, int) {}

void ToggleFullScreen() {}

bool TakeWindowKey(const SDL_KeyboardEvent&)
{
    return false;
}

void EndDisplayMode() {}

}  // namespace platform
