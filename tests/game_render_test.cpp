// What a round looks like: the frame the game screen draws, read back as it was presented.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "gfx/display.h"
#include "tests/support/game_fixture.h"
#include "tests/support/screenshot.h"

namespace {

using platform_test::Fault;
using platform_test::Frame;
using test::kAnyBehind;
using test::Read;

constexpr std::uint16_t kRed565 = 0xF800;
constexpr std::uint16_t kOrange565 = 0xFC00;
constexpr std::uint16_t kGreen565 = 0x07E0;
constexpr std::uint16_t kBlue565 = 0x001F;

class GameRenderTest : public test::GameFixture {
protected:
    Frame Draw()
    {
        game->Render();
        PresentFrame();
        return platform_test::PresentedFrame();
    }

    // How many pixels of the box have exactly this colour.
    static int Count(const Frame& frame, RECT box, std::uint16_t color)
    {
        int n = 0;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) n += frame.At(x, y) == color;
        return n;
    }

    // The smallest rectangle holding every pixel of the box that is not black.
    static RECT Ink(const Frame& frame, RECT box)
    {
        RECT ink{box.right, box.bottom, box.left, box.top};
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) {
                if (frame.At(x, y) == 0) continue;
                ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                           std::max<LONG>(ink.bottom, y + 1)};
            }
        return ink;
    }
};

TEST_F(GameRenderTest, ItemsAndSegmentsShowTheirCellsOverTheField)
{
    StartRound(2, false, {500, 100}, {100, 300});
    SetBody(0, {Segment{300, 200, 0, 0}, Segment{300, 240, 0, 0}});
    SetBody(1, {Segment{150, 150, 0, 0}, Segment{190, 150, 0, 0}});
    const Frame frame = Draw();
    EXPECT_EQ(CellMismatches(frame, 500, 100, 21, 42), 0) << "bonus +1";
    EXPECT_EQ(CellMismatches(frame, 100, 300, 0, 42), 0) << "food";
    EXPECT_EQ(CellMismatches(frame, 300, 200, 0, 0), 0) << "worm 0 head";
    EXPECT_EQ(CellMismatches(frame, 300, 240, 21, 0), 0) << "worm 0 body";
    EXPECT_EQ(CellMismatches(frame, 150, 150, 0, 21), 0) << "worm 1 head";
    EXPECT_EQ(CellMismatches(frame, 190, 150, 21, 21), 0) << "worm 1 body";
    // The corners of every sprite are the field's own pixels.
    for (POINT c : {POINT{500, 100}, POINT{100, 300}, POINT{300, 200}, POINT{150, 150}})
        for (POINT corner : {POINT{-10, -10}, POINT{9, -10}, POINT{-10, 9}, POINT{9, 9}})
            EXPECT_EQ(frame.At(c.x + corner.x, c.y + corner.y), ground.At(c.x + corner.x, c.y + corner.y));
    // Nothing else is drawn over the field.
    EXPECT_EQ(frame.At(400, 400), ground.At(400, 400));
}

TEST_F(GameRenderTest, EveryTenthSegmentFromTheTailGlowsAndTheHeadIsDrawnLastInItsCell)
{
    StartRound(1, false, {600, 60}, {60, 60});
    SetBody(0, {Segment{300, 300, 0, 0}});
    Frame frame = Draw();
    EXPECT_EQ(CellMismatches(frame, 300, 300, 0, 0), 0) << "one segment shows only its head";

    // 25 segments in a row, 20 pixels apart, the head on the left.
    std::vector<Segment> body;
    for (int i = 0; i < 25; ++i) body.push_back(Segment{60 + 20 * i, 200, 0, 0});
    SetBody(0, body);
    game->worms[0].spriteRow = 63;  // a crash frame row, drawn like any other
    frame = Draw();
    for (int i = 0; i < 25; ++i) {
        const int fromTail = 25 - i;
        const int column = i == 0 ? 0 : (fromTail % 10 == 0 ? 42 : 21);
        EXPECT_EQ(CellMismatches(frame, 60 + 20 * i, 200, column, 63), 0) << "segment " << i;
    }
}

TEST_F(GameRenderTest, ALaterSegmentLiesOverAnEarlierOneAndWormOneOverWormZero)
{
    StartRound(2, false, {600, 60}, {60, 60});
    SetBody(0, {Segment{300, 300, 0, 0}, Segment{296, 300, 0, 0}});
    SetBody(1, {Segment{310, 300, 0, 0}});
    const Frame frame = Draw();
    EXPECT_EQ(CellMismatches(frame, 310, 300, 0, 21, kAnyBehind), 0) << "worm 1's head over worm 0";
    // Where worm 0's head and body overlap, the head is on top.
    ASSERT_NE(sprites.At(5, 10), sprites.At(21 + 9, 10));
    EXPECT_EQ(frame.At(295, 300), sprites.At(5, 10));
}

TEST_F(GameRenderTest, TheTotalIsRedOrangeOrGreenAndTwoPlayersAddTheirScores)
{
    const RECT box{270, 462, 370, 480};
    const struct {
        int worms, score0, score1;
        std::uint16_t color;
    } cases[] = {{1, 9, 0, kRed565},  {1, 10, 0, kOrange565}, {1, 15, 0, kOrange565},
                 {1, 16, 0, kGreen565}, {2, 6, 5, kOrange565}, {2, 9, 7, kGreen565}, {1, 0, 99, kRed565}};
    for (const auto& c : cases) {
        StartRound(c.worms, false);
        game->worms[0].score = c.score0;
        game->worms[1].score = c.score1;
        const Frame frame = Draw();
        EXPECT_GT(Count(frame, box, c.color), 5) << c.score0 << " + " << c.score1;
        for (std::uint16_t other : {kRed565, kOrange565, kGreen565})
            if (other != c.color) {
                EXPECT_EQ(Count(frame, box, other), 0) << c.score0 << " + " << c.score1;
            }
        // Centred in the box, standing at its top edge.
        const RECT ink = Ink(frame, box);
        EXPECT_NEAR(ink.left + ink.right, 640, 3) << c.score0 << " + " << c.score1;
        EXPECT_GE(ink.top, 462);
        EXPECT_LE(ink.top, 466);
    }
}

TEST_F(GameRenderTest, AMatchShowsBothPlayersWinsEachOnItsSide)
{
    StartRound(2, true);
    game->worms[0].wins = 3;
    game->worms[1].wins = 7;
    game->worms[0].score = 50;
    const Frame frame = Draw();
    EXPECT_GT(Count(frame, RECT{530, 462, 630, 480}, kGreen565), 5) << "worm 0 on the right";
    EXPECT_GT(Count(frame, RECT{10, 462, 110, 480}, kBlue565), 5) << "worm 1 on the left";
    const RECT right = Ink(frame, RECT{530, 462, 630, 480});
    const RECT left = Ink(frame, RECT{10, 462, 110, 480});
    EXPECT_NEAR(right.left + right.right, 2 * 580, 3);
    EXPECT_NEAR(left.left + left.right, 2 * 60, 3);
    EXPECT_EQ(Count(frame, RECT{110, 440, 530, 480}, kGreen565), 0) << "no total in a match";
    EXPECT_EQ(Count(frame, RECT{110, 440, 530, 480}, kRed565), 0);
}

TEST_F(GameRenderTest, AfterTheCrashTheFrameKeepsComingWithTheCrashRows)
{
    StartRound(1, false);
    PlaceHead(0, 35.0, 200.0);
    game->worms[0].direction = 18;
    game->worms[0].score = 12;
    game->Tick();  // moves to 28 and crashes
    ASSERT_FALSE(game->running);
    const Segment head = Body(0)[0];
    for (int row : {63, 84, 105}) {
        game->Tick();
        PresentFrame();
        const Frame frame = platform_test::PresentedFrame();
        EXPECT_EQ(CellMismatches(frame, head.x, head.y, 0, row), 0) << row;
        EXPECT_GT(Count(frame, RECT{270, 462, 370, 480}, kOrange565), 5) << "the score as it stood";
    }
}

// ---- lost and busy surfaces

TEST_F(GameRenderTest, ALostSurfaceCostsOneDrawAndBringsBothPicturesBackKeyed)
{
    StartRound(1, false, {500, 100}, {100, 300});
    test::FillRaw(game->groundSurface, 0x1234);
    test::FillRaw(game->spriteSurface, 0x4321);
    platform_test::MarkSurfaceLost(game->spriteSurface);
    const Frame frame = Draw();
    // The field came from the scribbled surface; the bonus found the sprites lost and is
    // missing; everything after it was drawn from the reloaded, keyed sprite sheet.
    EXPECT_EQ(frame.At(500, 100), 0x1234);
    EXPECT_EQ(CellMismatches(frame, 100, 300, 0, 42, 0x1234), 0) << "food";
    EXPECT_EQ(CellMismatches(frame, 400, 400, 0, 0, 0x1234), 0) << "head";
    EXPECT_EQ(Read(game->groundSurface).pixels, ground.pixels);
    EXPECT_EQ(Read(game->spriteSurface).pixels, sprites.pixels);
    EXPECT_EQ(CellMismatches(Draw(), 500, 100, 21, 42), 0) << "the next frame is whole";
}

TEST_F(GameRenderTest, ABusyBlitIsRepeatedUntilItIsDone)
{
    StartRound(2, false, {500, 100}, {100, 300});
    const Frame normal = Draw();
    platform_test::SetSurfaceBusy(game->spriteSurface, 5);
    const Frame busy = Draw();
    EXPECT_EQ(busy.pixels, normal.pixels);
    EXPECT_EQ(CellMismatches(busy, 500, 100, 21, 42), 0);
}

TEST_F(GameRenderTest, WithoutADeviceContextOnlyTheScoreLineIsMissing)
{
    StartRound(1, false);
    game->worms[0].score = 3;
    Frame normal = Draw();
    platform_test::FailNext(Fault::GetDC);
    Frame faulty = Draw();
    EXPECT_GT(Count(normal, RECT{270, 462, 370, 480}, kRed565), 5);
    EXPECT_EQ(Count(faulty, RECT{270, 462, 370, 480}, kRed565), 0);
    for (int y = 462; y < 480; ++y)
        for (int x = 270; x < 370; ++x) normal.pixels[static_cast<size_t>(y) * 640 + x] = 0;
    EXPECT_EQ(faulty.pixels, normal.pixels);
}

TEST_F(GameRenderTest, SurfacesLostAtEveryBlitDoNotStopTheFrameLoop)
{
    platform_test::ScriptRandom(test::BonusDraw(500, 100, 1, 150));
    platform_test::ScriptRandom(test::ItemDraw(100, 300));
    PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 2, 0);
    app.Ticks(1);
    for (int tick = 0; tick < 3; ++tick) {
        platform_test::MarkAllSurfacesLost();
        app.Ticks(1);
    }
    const int presents = platform_test::PresentCount();
    app.Ticks(2);
    EXPECT_EQ(platform_test::PresentCount(), presents + 2);
    const Frame frame = platform_test::PresentedFrame();
    EXPECT_EQ(CellMismatches(frame, 100, 300, 0, 42), 0) << "the field and the food are back";
    EXPECT_TRUE(app.LoopRunning());
}

}  // namespace

namespace {

// Frames of a round for a person to look at (written when LORVEX_SHOT_DIR is set).
TEST_F(GameRenderTest, ShotsOfARoundACrashAndAMatch)
{
    StartRound(2, false, {470, 150}, {250, 260});
    for (int tick = 0; tick < 30; ++tick) {
        Key(tick % 12 < 5 ? SDL_SCANCODE_RIGHT : SDL_SCANCODE_LEFT, true);
        Key(tick % 12 < 5 ? SDL_SCANCODE_LEFT : SDL_SCANCODE_RIGHT, false);
        Key(SDL_SCANCODE_A, tick % 10 < 4);
        game->Tick();
    }
    game->worms[0].score = 7;
    game->worms[1].score = 5;
    Frame frame = Draw();
    test::SaveScreenshot(frame, "round");
    EXPECT_GT(Count(frame, RECT{270, 462, 370, 480}, kOrange565), 0);

    game->worms[0].wins = 4;
    game->worms[1].wins = 2;
    game->matchMode = true;
    PlaceHead(1, 25.0, 150.0);
    game->CheckCollisions();
    for (int tick = 0; tick < 3; ++tick) game->Tick();
    frame = Draw();
    test::SaveScreenshot(frame, "crash-match");
    EXPECT_GT(Count(frame, RECT{530, 462, 630, 480}, kGreen565), 0);
    Key(SDL_SCANCODE_RIGHT, false);
    Key(SDL_SCANCODE_LEFT, false);
    Key(SDL_SCANCODE_A, false);
}

}  // namespace
