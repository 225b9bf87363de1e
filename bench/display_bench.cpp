// The display layer's cost per frame: a flip, a keyed sprite cell and the whole field,
// each beside the bare operation underneath it, so the layer's overhead reads as a ratio.

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfx/bitmap_surface.h"
#include "platform/ddraw.h"
#include "platform/winuser.h"
#include "tests/support/display_fixture.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * 2;  // 600 KiB of 16-bit pixels
constexpr std::uint32_t kKey565 = 0xF81F;

// The shared window, device and flipping pair, plus the two pictures the blits use;
// a second window is not allowed, so every benchmark shares this one.
struct Display : test::Display {
    IDirectDrawSurface* sprites = nullptr;
    IDirectDrawSurface* ground = nullptr;
    bool ready = false;

    Display() : test::Display(false)
    {
        if (back == nullptr) return;
        sprites = LoadBitmapSurface(device, "IDB_HRA", 0, 0);
        ground = LoadBitmapSurface(device, "IDB_GROUND", 0, 0);
        if (sprites == nullptr || ground == nullptr) return;
        ready = SetSurfaceColorKey(sprites, kTransparentColor) == DD_OK;
    }

    ~Display()
    {
        if (sprites != nullptr) sprites->Release();
        if (ground != nullptr) ground->Release();
    }
};

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

// ---- the flip: upload of the back buffer and present

void BM_Flip(benchmark::State& state)
{
    if (!Ready(state)) return;
    IDirectDrawSurface* primary = TheDisplay().primary;
    for (auto _ : state) {
        if (primary->Flip(nullptr, 0) != DD_OK) {
            state.SkipWithError("Flip failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFrameBytes);
}
BENCHMARK(BM_Flip);

void BM_BareMemcpyOfAFrame(benchmark::State& state)
{
    std::vector<std::uint8_t> from(kFrameBytes, 0x5A);
    std::vector<std::uint8_t> to(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kFrameBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFrameBytes);
}
BENCHMARK(BM_BareMemcpyOfAFrame);

// ---- one keyed sprite cell

void BM_BltFastKeyedCell(benchmark::State& state)
{
    if (!Ready(state)) return;
    Display& d = TheDisplay();
    RECT cell{0, 0, 20, 20};  // worm 0's head
    for (auto _ : state) {
        if (d.back->BltFast(300, 230, d.sprites, &cell, DDBLTFAST_SRCCOLORKEY) != DD_OK) {
            state.SkipWithError("BltFast failed");
            break;
        }
    }
}
BENCHMARK(BM_BltFastKeyedCell);

// The same cell, copied pixel for pixel into a plain surface, so both blits skip the same pixels.
void BM_BareSdlBlitKeyedCell(benchmark::State& state)
{
    if (!Ready(state)) return;
    Display& d = TheDisplay();
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormat(0, 63, 173, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    bool filled = source != nullptr && target != nullptr && d.sprites->Lock(nullptr, &desc, 0, nullptr) == DD_OK;
    if (filled) {
        for (int y = 0; y < source->h; ++y)
            std::memcpy(static_cast<char*>(source->pixels) + y * source->pitch,
                        static_cast<const char*>(desc.lpSurface) + y * desc.lPitch, size_t(source->w) * 2);
        d.sprites->Unlock(nullptr);
        SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
        SDL_SetColorKey(source, SDL_TRUE, kKey565);
    } else {
        state.SkipWithError("the plain surfaces could not be made");
    }
    SDL_Rect from{0, 0, 20, 20};
    while (filled && state.KeepRunning()) {
        SDL_Rect to{300, 230, 20, 20};
        if (SDL_BlitSurface(source, &from, target, &to) != 0) {
            state.SkipWithError("SDL_BlitSurface failed");
            break;
        }
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}
BENCHMARK(BM_BareSdlBlitKeyedCell);

// ---- the whole field, opaque, as every game tick draws it first

void BM_BltFastOpaqueField(benchmark::State& state)
{
    if (!Ready(state)) return;
    Display& d = TheDisplay();
    for (auto _ : state) {
        if (d.back->BltFast(0, 0, d.ground, nullptr, DDBLTFAST_NOCOLORKEY) != DD_OK) {
            state.SkipWithError("BltFast failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFrameBytes);
}
BENCHMARK(BM_BltFastOpaqueField);

}  // namespace

BENCHMARK_MAIN();
