#pragma once

// The one window, display device and flipping pair that every benchmark shares (a second
// window is not allowed), with the two game pictures and their plain SDL copies.

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstddef>
#include <cstdint>

#include "tests/support/display_fixture.h"

namespace bench {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr std::size_t kFrameBytes = std::size_t(kWidth) * kHeight * 2;  // 600 KiB of 16-bit pixels

struct Display : test::Display {
    IDirectDrawSurface* sprites = nullptr;
    IDirectDrawSurface* ground = nullptr;
    // The same pictures as plain SDL surfaces, for the bare comparisons; sprites keyed.
    SDL_Surface* bareSprites = nullptr;
    SDL_Surface* bareGround = nullptr;
    SDL_Surface* bareTarget = nullptr;
    bool ready = false;

    Display();
    ~Display();
};

// Sets the display up on first use and makes it the game's display too.
Display& TheDisplay();
// False, with the benchmark skipped, when the display could not be set up.
bool Ready(benchmark::State& state);

}  // namespace bench
