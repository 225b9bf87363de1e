// In the browser the canvas has the picture's own size and the page enlarges it to the largest
// 4:3 part of itself, pixel for pixel (tools/web/index.html); the page's own button takes it to
// full screen. No display mode is kept here, Alt+Enter is the browser's, and no window choice
// is stored.
#include "platform/internal.h"

namespace platform {

Uint32 SystemWindowFlags()
{
    // Not resizable: SDL would size the canvas to the page and scale on the processor.
    return 0;
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
