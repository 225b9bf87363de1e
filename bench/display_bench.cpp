// The display layer's cost per frame: a flip, a keyed sprite cell and the whole field,
// each beside the bare operation underneath it, so the layer's overhead reads as a ratio.

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_display.h"
#include "platform/ddraw.h"

namespace {

using bench::Display;
using bench::kFrameBytes;
using bench::Ready;
using bench::TheDisplay;

// ---- the flip: a changed frame is uploaded and presented (headless, only compared), an
// unchanged one only compared; presents are real under a named driver such as x11

void FlipFrames(benchmark::State& state, bool changed)
{
    if (!Ready(state)) return;
    Display& d = TheDisplay();
    test::FillRaw(d.back, 0x1234);
    d.primary->Flip(nullptr, 0);
    test::FillRaw(d.back, 0x1234);
    std::uint16_t corner = 0;
    for (auto _ : state) {
        if (changed) test::SetRawPixel(d.back, 639, 479, ++corner);
        if (d.primary->Flip(nullptr, 0) != DD_OK) {
            state.SkipWithError("Flip failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFrameBytes);
}

void BM_Flip(benchmark::State& state)
{
    FlipFrames(state, true);
}
BENCHMARK(BM_Flip);

void BM_FlipOfAnUnchangedFrame(benchmark::State& state)
{
    FlipFrames(state, false);
}
BENCHMARK(BM_FlipOfAnUnchangedFrame);

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

// The same cell from a plain copy of the sheet, so both blits skip the same pixels.
void BM_BareSdlBlitKeyedCell(benchmark::State& state)
{
    if (!Ready(state)) return;
    Display& d = TheDisplay();
    SDL_Rect from{0, 0, 20, 20};
    for (auto _ : state) {
        SDL_Rect to{300, 230, 20, 20};
        if (SDL_BlitSurface(d.bareSprites, &from, d.bareTarget, &to) != 0) {
            state.SkipWithError("SDL_BlitSurface failed");
            break;
        }
    }
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
