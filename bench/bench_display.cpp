#include "bench/bench_display.h"

#include <cstdlib>
#include <cstring>

#include "gfx/bitmap_surface.h"
#include "gfx/display.h"

namespace bench {

namespace {

// A plain RGB565 copy of a surface's pixels.
SDL_Surface* BareCopy(IDirectDrawSurface* surface)
{
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    if (surface->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return nullptr;
    SDL_Surface* copy = SDL_CreateRGBSurfaceWithFormat(0, static_cast<int>(desc.dwWidth),
                                                       static_cast<int>(desc.dwHeight), 16, SDL_PIXELFORMAT_RGB565);
    if (copy != nullptr) {
        for (int y = 0; y < copy->h; ++y)
            std::memcpy(static_cast<char*>(copy->pixels) + y * copy->pitch,
                        static_cast<const char*>(desc.lpSurface) + y * desc.lPitch, std::size_t(copy->w) * 2);
        SDL_SetSurfaceBlendMode(copy, SDL_BLENDMODE_NONE);
    }
    surface->Unlock(nullptr);
    return copy;
}

}  // namespace

Display::Display() : test::Display(false)
{
    if (back == nullptr) return;
    sprites = LoadBitmapSurface(device, "IDB_HRA", 0, 0);
    ground = LoadBitmapSurface(device, "IDB_GROUND", 0, 0);
    if (sprites == nullptr || ground == nullptr) return;
    if (SetSurfaceColorKey(sprites, kTransparentColor) != DD_OK) return;
    bareSprites = BareCopy(sprites);
    bareGround = BareCopy(ground);
    bareTarget = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);
    if (bareSprites == nullptr || bareGround == nullptr || bareTarget == nullptr) return;
    SDL_SetColorKey(bareSprites, SDL_TRUE, test::kKey565);
    gDirectDraw = device;
    gPrimarySurface = primary;
    gBackSurface = back;
    ready = true;
}

Display::~Display()
{
    gDirectDraw = nullptr;
    gPrimarySurface = nullptr;
    gBackSurface = nullptr;
    SDL_FreeSurface(bareSprites);
    SDL_FreeSurface(bareGround);
    SDL_FreeSurface(bareTarget);
    if (sprites != nullptr) sprites->Release();
    if (ground != nullptr) ground->Release();
}

Display& TheDisplay()
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);  // headless unless a driver is named, e.g. x11 to measure a real renderer
    static Display display;
    return display;
}

bool Ready(benchmark::State& state)
{
    if (TheDisplay().ready) return true;
    state.SkipWithError("the display could not be set up");
    return false;
}

}  // namespace bench
