// The page is the browser's process: it has no signals, no standard streams of its own to mend
// and one video driver, so around its window there is little to do.
#include "platform/internal.h"

namespace platform {

void PrepareProcess() {}

bool TakeCloseSignal()
{
    return false;
}

// SDL would hand the page a turn after every frame it draws on the canvas, from deep inside the
// game's tick; the loop hands it over where it waits, the only place that may sleep.
void ChooseVideoDrivers()
{
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
}

void CatchDisplayErrors() {}

void MarkShutDown() {}

bool DisplayAbandoned()
{
    return false;
}

}  // namespace platform
