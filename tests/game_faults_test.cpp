// A round under the faults a desktop brings: the render device reset, the focus lost and
// the window minimised; and how soon a steering key shows on the screen.

#include <SDL.h>
#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "screens/about_screen.h"
#include "screens/menu_screen.h"
#include "tests/support/game_fixture.h"

namespace {

using platform_test::Frame;
using test::kAnyBehind;

class GameFaultsTest : public test::GameFixture {
protected:
    // A two-worm round made current by the frame, as the menu starts it.
    void Play()
    {
        platform_test::ScriptRandom(test::BonusDraw(600, 60, 1, 150));
        platform_test::ScriptRandom(test::ItemDraw(60, 60));
        PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 2, 0);
        app.Ticks(3);
        ASSERT_TRUE(game->running);
    }
    void Window(int sdlWindowEvent)
    {
        platform_test::PushWindowEvent(sdlWindowEvent);
        app.Pump();
    }
    // The head is drawn where the round has it, in the presented frame.
    bool HeadShown(int worm)
    {
        const Segment head = game->worms[worm].body.GetHead();
        return CellMismatches(platform_test::PresentedFrame(), head.x, head.y, 0, 21 * worm, kAnyBehind) == 0;
    }
};

TEST_F(GameFaultsTest, ARenderDeviceResetOnAnyScreenIsRepairedAndTheRoundGoesOn)
{
    for (UINT show : {UM_SHOW_MENU, UM_SHOW_ABOUT}) {
        PostMessageA(app.Frame()->m_hWnd, show, 0, 0);
        app.Ticks(2);
        const Frame before = platform_test::PresentedFrame();
        platform_test::SimulateRenderDeviceReset();
        app.Ticks(3);
        EXPECT_EQ(platform_test::PresentedFrame().pixels, before.pixels) << show;
    }

    Play();
    const double y = game->worms[0].headY;
    platform_test::SimulateRenderDeviceReset();
    app.Ticks(3);
    EXPECT_TRUE(game->running);
    EXPECT_EQ(game->worms[0].headY, y - 21);
    EXPECT_TRUE(HeadShown(0));
    EXPECT_TRUE(HeadShown(1));
    EXPECT_EQ(CellMismatches(platform_test::PresentedFrame(), 60, 60, 0, 42), 0) << "the food";
}

TEST_F(GameFaultsTest, MinimisedTheRoundStandsStillAndResumesWithoutTheKeysHeldBefore)
{
    Play();
    Key(SDL_SCANCODE_LEFT, true);
    app.Ticks(1);  // read now, turns at the next tick
    ASSERT_EQ(game->worms[0].turn, -1);
    const int direction = game->worms[0].direction;
    const double x = game->worms[0].headX;
    const double y = game->worms[0].headY;

    Window(SDL_WINDOWEVENT_FOCUS_LOST);
    Window(SDL_WINDOWEVENT_MINIMIZED);
    const int presents = platform_test::PresentCount();
    app.Ticks(25);
    EXPECT_EQ(platform_test::PresentCount(), presents) << "no flip while minimised";
    EXPECT_EQ(game->worms[0].headX, x);
    EXPECT_EQ(game->worms[0].headY, y);

    // The Left key came up while the window was away; nobody told the program.
    Window(SDL_WINDOWEVENT_RESTORED);
    Window(SDL_WINDOWEVENT_FOCUS_GAINED);
    app.Ticks(6);
    EXPECT_EQ(platform_test::PresentCount(), presents + 6);
    EXPECT_EQ(game->worms[0].direction, (direction + 23) % 24) << "only the turn read before the stop";
    EXPECT_EQ(game->worms[0].turn, 0);
    EXPECT_TRUE(game->running);
    EXPECT_TRUE(HeadShown(0));
}

TEST_F(GameFaultsTest, BehindAnotherWindowAHeldKeyStopsSteering)
{
    Play();
    Key(SDL_SCANCODE_RIGHT, true);
    app.Ticks(1);
    const int direction = game->worms[0].direction;
    Window(SDL_WINDOWEVENT_FOCUS_LOST);  // still shown, so the ticks go on
    app.Ticks(8);
    EXPECT_EQ(game->worms[0].direction, (direction + 1) % 24);
    Window(SDL_WINDOWEVENT_FOCUS_GAINED);
    Key(SDL_SCANCODE_RIGHT, false);
}

TEST_F(GameFaultsTest, ASteeringKeyShowsInTheFramePresentedTwoTicksLater)
{
    Play();
    const Segment straight = game->worms[0].body.GetHead();
    Key(SDL_SCANCODE_LEFT, true);  // just after a tick
    app.Ticks(1);
    EXPECT_TRUE(HeadShown(0));
    EXPECT_EQ(game->worms[0].body.GetHead().x, straight.x) << "the first tick only reads the key";
    app.Ticks(1);
    const Segment turned = game->worms[0].body.GetHead();
    EXPECT_EQ(turned.x, 398) << "400 - 7 x 0.2588, truncated";
    EXPECT_TRUE(HeadShown(0)) << "and the presented frame shows it there";
    Key(SDL_SCANCODE_LEFT, false);
}

}  // namespace
