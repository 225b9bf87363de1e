// The menu and the about screen in the running program: the mouse and keys pushed as the
// platform delivers them, what the screens ask of the main window, and the frames shown.

#include "screens/menu_screen.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/cursor.h"
#include "app/main_frame.h"
#include "game/game_screen.h"
#include "gfx/display.h"
#include "screens/about_screen.h"
#include "tests/support/app_harness.h"
#include "tests/support/golden.h"
#include "tests/support/menu_points.h"

namespace {

using platform_test::Frame;
using Request = std::pair<UINT, WPARAM>;

void Move(POINT p)
{
    platform_test::PushMouseMove(p.x, p.y);
}
void Press(POINT p, int clicks = 1)
{
    platform_test::PushMouseButton(p.x, p.y, true, true, clicks);
}
void Release(POINT p, int clicks = 1)
{
    platform_test::PushMouseButton(p.x, p.y, true, false, clicks);
}
void Click(POINT p)
{
    Press(p);
    Release(p);
}
void Escape()
{
    platform_test::PushKey(SDL_SCANCODE_ESCAPE, true);
    platform_test::PushKey(SDL_SCANCODE_ESCAPE, false);
}

// What the screens asked of the main window: its own messages and WM_CLOSE.
std::vector<Request> Requests(const test::AppHarness& app)
{
    std::vector<Request> requests;
    for (const MSG& m : app.Dispatched())
        if (m.message == WM_CLOSE || m.message >= UM_CREATE_SCREENS) requests.push_back({m.message, m.wParam});
    return requests;
}

// Whether the frame is the about screen as in that golden scene.
::testing::AssertionResult LooksLike(const Frame& shown, const std::string& scene)
{
    const test::Picture behind = test::ScreenPictureOf("IDB_ABOUT");
    return test::Matches(test::FromFrame(shown), test::Golden(scene, &behind), "held_back_" + scene);
}

class MenuScreenTest : public ::testing::Test {
protected:
    void Start()
    {
        ASSERT_TRUE(app.Start());
        app.RecordMessages();
        ASSERT_EQ(Current(), menu());
    }
    CScreen* Current() const { return app.Frame()->currentScreen; }
    CMenuScreen* menu() const { return app.Frame()->menuScreen; }
    CAboutScreen* about() const { return app.Frame()->aboutScreen; }
    // The frame shown after one more tick.
    Frame Shown()
    {
        app.Ticks(1);
        return platform_test::PresentedFrame();
    }

    test::AppHarness app;
};

TEST(MenuScreenModesTest, EachModeButtonStartsItsRoundOnTheGameScreen)
{
    struct Mode {
        POINT button;
        WPARAM mode;
        int worms;
        bool match;
    };
    for (const Mode& m : {Mode{kSingle, 1, 1, false}, Mode{kPair, 2, 2, false}, Mode{kMatch, 3, 2, true}}) {
        test::AppHarness app;
        ASSERT_TRUE(app.Start());
        app.RecordMessages();
        Move(m.button);
        Press(m.button);
        app.Ticks(1);
        EXPECT_EQ(app.Frame()->currentScreen, app.Frame()->menuScreen) << m.mode;  // a press alone starts nothing
        Release(m.button);
        app.Ticks(1);
        EXPECT_EQ(Requests(app), (std::vector<Request>{{UM_START_GAME, m.mode}})) << m.mode;
        CGameScreen* game = app.Frame()->gameScreen;
        EXPECT_EQ(app.Frame()->currentScreen, game) << m.mode;
        EXPECT_EQ(game->wormCount, m.worms) << m.mode;
        EXPECT_EQ(game->matchMode, m.match) << m.mode;
        EXPECT_TRUE(game->running) << m.mode;
        EXPECT_EQ(gCursorCount, -1) << m.mode;
    }
}

TEST(MenuScreenModesTest, ExitButtonAndEscBothEndTheProgramAndWriteTheLevel)
{
    for (bool byButton : {true, false}) {
        test::AppHarness app;
        app.WriteSettings("[Nastaveni]\nlevel=13\n");
        ASSERT_TRUE(app.Start());
        app.RecordMessages();
        if (byButton) Click(kExit);
        else Escape();
        app.Pump();
        EXPECT_EQ(Requests(app), (std::vector<Request>{{WM_CLOSE, 0}})) << byButton;
        EXPECT_FALSE(app.LoopRunning()) << byButton;
        EXPECT_EQ(app.Frame(), nullptr) << byButton;
        app.Stop();
        EXPECT_EQ(test::ReadFile(app.SettingsFile()), "[Nastaveni]\nlevel=13\n") << byButton;
    }
}

TEST_F(MenuScreenTest, DoubleClickOnAButtonActsOnce)
{
    Start();
    Press(kAbout, 1);
    Release(kAbout, 1);
    Press(kAbout, 2);
    Release(kAbout, 2);
    app.Ticks(1);
    EXPECT_EQ(Requests(app), (std::vector<Request>{{UM_SHOW_ABOUT, 0}}));
    EXPECT_EQ(Current(), about());

    // The same on the about screen: one return to the menu, and the release that follows
    // there reaches the menu's buttons without clicking any.
    Press(kBack, 1);
    Release(kBack, 1);
    Press(kBack, 2);
    Release(kBack, 2);
    app.Ticks(1);
    EXPECT_EQ(Requests(app), (std::vector<Request>{{UM_SHOW_ABOUT, 0}, {UM_SHOW_MENU, 0}}));
    EXPECT_EQ(Current(), menu());
}

TEST_F(MenuScreenTest, BackButtonHeldWhileEscLeavesIsNotStillPressedOnReturn)
{
    Start();
    Click(kAbout);
    app.Ticks(1);
    Press(kBack);
    EXPECT_TRUE(LooksLike(Shown(), "about_press"));
    Escape();
    Release(kNowhere);
    app.Ticks(1);
    ASSERT_EQ(Current(), menu());

    Click(kAbout);
    EXPECT_TRUE(LooksLike(Shown(), "about"));
    Move(kBack);
    EXPECT_TRUE(LooksLike(Shown(), "about_hover"));  // not the pressed look
    Press(kNowhere);
    Move(kBack);
    Release(kBack);
    app.Ticks(1);
    EXPECT_EQ(Current(), about());  // a press elsewhere is no click on the button
    Click(kBack);
    app.Ticks(1);
    EXPECT_EQ(Current(), menu());
    EXPECT_EQ(Requests(app),
              (std::vector<Request>{{UM_SHOW_ABOUT, 0}, {UM_SHOW_MENU, 0}, {UM_SHOW_ABOUT, 0}, {UM_SHOW_MENU, 0}}));
}

TEST_F(MenuScreenTest, CursorShowsOnTheMenuAndAboutAndHidesInTheGame)
{
    Start();
    EXPECT_EQ(gCursorCount, 0);
    Click(kAbout);
    app.Ticks(1);
    EXPECT_EQ(gCursorCount, 0);
    Escape();
    app.Ticks(1);
    EXPECT_EQ(gCursorCount, 0);
    Click(kSingle);
    app.Ticks(1);
    EXPECT_EQ(gCursorCount, -1);
    EXPECT_EQ(platform_test::CursorDisplayCount(), -1);
    Escape();
    app.Ticks(1);
    EXPECT_EQ(Current(), menu());
    EXPECT_EQ(gCursorCount, 0);
    EXPECT_EQ(platform_test::CursorDisplayCount(), 0);
}

TEST_F(MenuScreenTest, LostBackgroundIsRestoredFromTheFirstFailedBlitAndThatTickDrawsNothing)
{
    Start();
    const Frame menuShown = Shown();
    Click(kAbout);
    const Frame aboutShown = Shown();
    Escape();
    app.Ticks(1);

    struct Case {
        IDirectDrawSurface* picture;
        const Frame& normal;
        bool toAbout;
    };
    for (const Case& c : {Case{menu()->background, menuShown, false}, Case{about()->background, aboutShown, true}}) {
        if (c.toAbout) {
            Click(kAbout);
            app.Ticks(1);
        }
        platform_test::ResetFaults();
        test::FillRaw(gBackSurface, 0x1234);
        platform_test::MarkSurfaceLost(c.picture);
        const Frame lostTick = Shown();
        EXPECT_EQ(test::LostState(c.picture), DD_OK) << c.toAbout;
        EXPECT_EQ(platform_test::DebugOutput(), "") << c.toAbout;  // reloaded without a complaint
        EXPECT_EQ(lostTick.pixels, std::vector<std::uint16_t>(lostTick.pixels.size(), 0x1234)) << c.toAbout;
        EXPECT_EQ(Shown().pixels, c.normal.pixels) << c.toAbout;
    }
}

}  // namespace
