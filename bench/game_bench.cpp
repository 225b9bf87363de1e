// A round's cost per tick as worms grow: the rules alone, the search for a free point on a
// full field, and a whole frame beside a bare loop of the same blits.

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/main_frame.h"
#include "bench/bench_display.h"
#include "game/game_screen.h"

namespace {

using bench::Ready;
using bench::TheDisplay;

// Points 12 pixels apart inside the field, row after row: bodies spread over it so every
// segment is really drawn, as in a long round.
Segment SpreadPoint(int k)
{
    constexpr int kColumns = 48;
    constexpr int kRows = 34;
    const int cell = k % (kColumns * kRows);
    const int x = 40 + 12 * (cell % kColumns);
    const int y = 40 + 12 * (cell / kColumns);
    return Segment{x, y, x, y};
}

// A two-worm round with bodies of n segments, items in the corners, the bonus staying put.
std::unique_ptr<CGameScreen> RoundOf(int n)
{
    auto game = std::make_unique<CGameScreen>();
    game->StartRound(2, false);
    for (int i = 0; i < 2; ++i) {
        SegmentList& body = game->worms[i].body;
        while (body.GetCount() > 0) body.RemoveTail();
        for (int k = 0; k < n; ++k) body.AddTail(SpreadPoint(k * 2 + i));
    }
    game->foodX = 600;
    game->foodY = 440;
    game->bonusX = 600;
    game->bonusY = 40;
    game->bonusTimer = INT_MAX;
    return game;
}

// Keeps the round in play at the same cost every tick: heads back in the middle, nobody
// crashed (a crash would stop the moves, and the tests run to the end of every body anyway).
void KeepPlaying(CGameScreen& game)
{
    game.running = true;
    for (int i = 0; i < 2; ++i) {
        game.worms[i].crashTicks = 0;
        game.worms[i].headX = 300.0 + 20.0 * i;
        game.worms[i].headY = 240.0;
    }
}

void CountSegments(benchmark::State& state, int n)
{
    state.counters["segment"] = benchmark::Counter(static_cast<double>(state.iterations()) * 2 * n,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// ---- the rules of one tick: steering to the collision tests, without drawing

void BM_RulesTick(benchmark::State& state)
{
    if (!Ready(state)) return;
    const int n = static_cast<int>(state.range(0));
    auto game = RoundOf(n);
    for (auto _ : state) {
        KeepPlaying(*game);
        for (int i = 0; i < 2; ++i) {
            game->Steer(i);
            game->UpdateVelocity(i);
        }
        game->ReadTurnKeys();
        game->MoveWorms();
        game->EatItems();
        game->CheckCollisions();
    }
    CountSegments(state, n);
}
BENCHMARK(BM_RulesTick)->Arg(6)->Arg(100)->Arg(1000)->Arg(10000);

// ---- an item placed on a field the bodies cover whole: the bounded draws, then the search

void BM_PlaceItemOnAFullField(benchmark::State& state)
{
    if (!Ready(state)) return;
    const int n = static_cast<int>(state.range(0));
    auto game = RoundOf(n);
    for (auto _ : state) game->PlaceItem(0);
    CountSegments(state, n);
}
BENCHMARK(BM_PlaceItemOnAFullField)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_FreePointSearch(benchmark::State& state)
{
    if (!Ready(state)) return;
    const int n = static_cast<int>(state.range(0));
    auto game = RoundOf(n);
    auto grid = std::make_unique<FreePointGrid>();
    std::int32_t x = 0;
    std::int32_t y = 0;
    for (auto _ : state) benchmark::DoNotOptimize(grid->FindFirstFree(game->worms, 2, &x, &y));
    CountSegments(state, n);
}
BENCHMARK(BM_FreePointSearch)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// ---- a whole frame: the tick with its drawing, then the flip

void BM_Frame(benchmark::State& state)
{
    if (!Ready(state)) return;
    const int n = static_cast<int>(state.range(0));
    auto game = RoundOf(n);
    for (auto _ : state) {
        KeepPlaying(*game);
        game->Tick();
        PresentFrame();
    }
    CountSegments(state, n);
}
BENCHMARK(BM_Frame)->Arg(6)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

// The same blits straight through SDL: the field, two items, every segment, and the flip.
void BM_BareFrame(benchmark::State& state)
{
    if (!Ready(state)) return;
    bench::Display& d = TheDisplay();
    const int n = static_cast<int>(state.range(0));
    std::vector<SDL_Rect> places;
    for (int k = 0; k < 2 * n + 2; ++k) {
        const Segment p = SpreadPoint(k);
        places.push_back(SDL_Rect{p.x - 10, p.y - 10, 20, 20});
    }
    const SDL_Rect cell{21, 0, 20, 20};
    std::uint16_t corner = 0;
    for (auto _ : state) {
        SDL_BlitSurface(d.bareGround, nullptr, d.bareTarget, nullptr);
        for (SDL_Rect to : places) SDL_BlitSurface(d.bareSprites, &cell, d.bareTarget, &to);
        test::SetRawPixel(d.back, 639, 479, ++corner);  // a changed frame, so the flip shows it
        d.primary->Flip(nullptr, 0);
    }
    CountSegments(state, n);
}
BENCHMARK(BM_BareFrame)->Arg(6)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
