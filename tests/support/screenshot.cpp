#include "tests/support/screenshot.h"

#include <SDL.h>

#include <cstdlib>

namespace test {

void SaveScreenshot(const platform_test::Frame& frame, const std::string& name)
{
    const char* dir = std::getenv("LORVEX_SHOT_DIR");
    if (dir == nullptr || frame.width == 0) return;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint16_t*>(frame.pixels.data()), frame.width,
                                                        frame.height, 16, frame.width * 2, SDL_PIXELFORMAT_RGB565);
    if (s == nullptr) return;
    SDL_SaveBMP(s, (std::string(dir) + "/" + name + ".bmp").c_str());
    SDL_FreeSurface(s);
}

}  // namespace test
