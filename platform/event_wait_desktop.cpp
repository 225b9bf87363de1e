// The loop's sleep on a desktop: SDL wakes it at the first event.
#include "platform/internal.h"

namespace platform {

void WaitForEvents(int milliseconds)
{
    SDL_WaitEventTimeout(nullptr, milliseconds);
}

}  // namespace platform
