// PNG files through SDL_image, whose writer adds no chunk beyond the pixels.

#include "png.h"

#include <SDL.h>
#include <SDL_image.h>

namespace pm {

bool WritePng(const std::string& path, const RgbaImage& image, std::string* error)
{
    // RGBA32 names the bytes in memory order on any host, as RgbaImage keeps them.
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(image.rgba.data()), image.width, image.height, 32,
                                           image.width * 4, SDL_PIXELFORMAT_RGBA32);
    const bool ok = surface != nullptr && IMG_SavePNG(surface, path.c_str()) == 0;
    if (!ok) *error = "cannot write " + path + ": " + SDL_GetError();
    SDL_FreeSurface(surface);
    return ok;
}

}  // namespace pm
