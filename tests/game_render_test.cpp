// What a round looks like: the frame the game screen draws, read back as it was presented.

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_frame.h"
#include "gfx/display.h"
#include "tests/support/game_fixture.h"

namespace {

using platform_test::Fault;
using platform_test::Frame;
using test::Read;

constexpr std::uint16_t kRed565 = 0xF800;

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
};

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
