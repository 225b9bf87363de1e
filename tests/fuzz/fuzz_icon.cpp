// The icon decoder, at the size the window asks for and at the extremes of the size choice.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "platform/icon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (int preferred : {1, 64, 1000}) {
        SDL_Surface* icon = DecodeIconFile(data, size, preferred);
        if (icon == nullptr) continue;
        if (icon->w < 1 || icon->w > 256 || icon->h < 1 || icon->h > 256) std::abort();
        SDL_FreeSurface(icon);
    }
    return 0;
}
