#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "game/game_screen.h"
#include "tests/support/app_harness.h"

// Segments compare and print by their four values (found by argument lookup).
bool operator==(const Segment& a, const Segment& b);
void PrintTo(const Segment& s, std::ostream* out);

namespace test {

constexpr int kFieldBehind = -1;  // a cell's magenta shows the field picture
constexpr int kAnyBehind = -2;    // a cell's magenta is not looked at

// The raw values of the C runtime's generator that make Random draw an item at (x, y).
std::vector<int> ItemDraw(int x, int y);
// The same for the bonus: its point, its kind (-1, +1 or +2) and its stay (100..150 ticks).
std::vector<int> BonusDraw(int x, int y, int kind, int stay);

// A round on a game screen: set up with the items where the test wants them, its worms
// placed by hand, and stepped one tick at a time.
class RoundFixture : public ::testing::Test {
protected:
    // A round with the bonus (a +1 staying 150 ticks) and the food drawn at the given points.
    void StartRound(int worms, bool match, POINT bonus = {600, 60}, POINT food = {60, 60});
    void SetBody(int worm, const std::vector<Segment>& segments);
    std::vector<Segment> Body(int worm);
    // Puts the head exactly on a point, its segment and the exact position together.
    void PlaceHead(int worm, double x, double y);

    CGameScreen* game = nullptr;
};

// A game screen of its own over a display device without a window: the rules alone, with
// no keyboard, and nothing drawn.
class RulesFixture : public RoundFixture {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::unique_ptr<CGameScreen> screen_;
};

// The real program, started, with its game screen at hand.
class GameFixture : public RoundFixture {
protected:
    void SetUp() override;

    // A key pressed or released, as the keyboard layer sees it.
    void Key(unsigned sdlScancode, bool down);
    // Pixels of the 20 x 20 square centred on (x, y) that differ from the sprite cell at
    // (column, row), its magenta pixels showing the field (or the colour given).
    int CellMismatches(const platform_test::Frame& frame, int x, int y, int column, int row,
                       int behind = kFieldBehind) const;

    AppHarness app;
    platform_test::Frame sprites;  // the sheet and the field as loaded at the start
    platform_test::Frame ground;
};

}  // namespace test
