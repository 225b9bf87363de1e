#include "app/worm_app.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "app/cursor.h"
#include "app/main_frame.h"
#include "game/game_screen.h"
#include "gfx/display.h"
#include "screens/about_screen.h"
#include "screens/menu_screen.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/app_harness.h"
#include "tests/support/golden.h"

namespace {

using platform_test::Fault;

// Counts what the frame hands to the current screen.
class ProbeScreen : public CScreen {
public:
    void Tick() override { ++ticks; }
    void OnLButtonDown(int x, int y) override { presses.push_back({x, y}); }
    void OnLButtonUp(int, int) override { ++releases; }
    void OnKeyDown(UINT key) override { keys.push_back(key); }
    int ticks = 0;
    int releases = 0;
    std::vector<POINT> presses;
    std::vector<UINT> keys;
};

class AppTest : public ::testing::Test {
protected:
    void TearDown() override { platform_test::EnableTrace(false); }

    // Swaps the current screen for a probe, keeping the real one to put back.
    ProbeScreen* Probe()
    {
        saved = app.Frame()->currentScreen;
        app.Frame()->currentScreen = &probe;
        return &probe;
    }
    void Unprobe() { app.Frame()->currentScreen = saved; }

    test::AppHarness app;
    ProbeScreen probe;
    CScreen* saved = nullptr;
};

TEST_F(AppTest, StartShowsTheMenuBeforeTheLoopRuns)
{
    const int before = platform_test::PresentCount();
    ASSERT_TRUE(app.Start());
    EXPECT_GT(platform_test::PresentCount(), before);
    EXPECT_EQ(app.Frame()->currentScreen, app.Frame()->menuScreen);
    EXPECT_EQ(gLevel, 1);
    const test::Picture menu = test::ScreenPictureOf("IDB_MENU");  // the whole menu, not a blank frame
    EXPECT_TRUE(test::Matches(test::FromFrame(platform_test::PresentedFrame()), test::Golden("menu", &menu), "start"));
    EXPECT_EQ(gCursorCount, 0);  // the menu shows the cursor
}

TEST_F(AppTest, FirstRunWritesLevelOneAtExit)
{
    ASSERT_TRUE(app.Start());
    app.Stop();
    EXPECT_EQ(test::ReadFile(app.SettingsFile()), "[Nastaveni]\nlevel=1\n");
}

TEST_F(AppTest, StoredLevelIsClampedAndWrittenBackClamped)
{
    const std::vector<std::pair<std::string, int>> cases = {{"0", 1}, {"-7", 1},     {"21", 20},         {"20", 20},
                                                            {"7", 7}, {"banana", 1}, {"99999999999", 1}, {"", 1}};
    for (const auto& [stored, expected] : cases) {
        test::AppHarness run;
        run.WriteSettings("[Nastaveni]\nlevel=" + stored + "\n");
        ASSERT_TRUE(run.Start()) << stored;
        EXPECT_EQ(gLevel, expected) << stored;
        run.Stop();
        EXPECT_EQ(test::ReadFile(run.SettingsFile()), "[Nastaveni]\nlevel=" + std::to_string(expected) + "\n")
            << stored;
    }
}

TEST_F(AppTest, GarbageOrUnreadableSettingsGiveTheDefaultAndAreKept)
{
    for (const std::string& junk : {std::string("\x01\x02\xff garbage"), std::string(200000, 'x')}) {
        test::AppHarness run;
        run.WriteSettings(junk);
        ASSERT_TRUE(run.Start());
        EXPECT_EQ(gLevel, 1);
        run.Stop();
        EXPECT_TRUE(test::ReadFile(run.SettingsFile()) == junk);
    }
}

TEST_F(AppTest, SettingsThatCannotBeWrittenEndQuietly)
{
    // settings.ini is a folder: nothing to read, nothing can be written, nothing breaks.
    app.WriteSettings("");
    std::remove(app.SettingsFile().c_str());
    ASSERT_EQ(mkdir(app.SettingsFile().c_str(), 0700), 0);
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(gLevel, 1);
    app.Stop();
    struct stat info {};
    ASSERT_EQ(stat(app.SettingsFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(AppTest, NoHomeOrNoWayToMakeTheSettingsFolderMeansTheDefaultLevel)
{
    unsetenv("HOME");
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(gLevel, 1);
    app.Stop();

    // HOME is a plain file: no folder can be made below it.
    test::AppHarness run;
    const std::string file = run.Home() + "/file";
    ASSERT_TRUE(test::WriteFile(file, "level=9"));
    setenv("HOME", file.c_str(), 1);
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(gLevel, 1);
    run.Stop();
    EXPECT_EQ(test::ReadFile(file), "level=9");
}

TEST_F(AppTest, EveryFailingStartStepEndsSilentlyAndStillWritesTheLevel)
{
    for (Fault step : {Fault::DirectDrawCreate, Fault::SetCooperativeLevel, Fault::SetDisplayMode,
                       Fault::CreatePrimarySurface, Fault::GetAttachedSurface, Fault::DirectInputCreate}) {
        test::AppHarness run;
        run.WriteSettings("[Nastaveni]\nlevel=6\n");
        platform_test::FailNext(step);
        EXPECT_FALSE(run.Start()) << static_cast<int>(step);
        EXPECT_EQ(run.Frame(), nullptr);  // the window is gone
        run.Stop();
        EXPECT_EQ(test::ReadFile(run.SettingsFile()), "[Nastaveni]\nlevel=6\n");
        EXPECT_EQ(gDirectDraw, nullptr);
        EXPECT_EQ(gPrimarySurface, nullptr);
    }
}

TEST_F(AppTest, AFailedStartEndsTheProgramWithStatusOne)
{
    CWormApp failing;
    platform_test::FailNext(Fault::SetDisplayMode);
    char name[] = "lorvex";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(AfxWinMain(1, argv), 1);
    // The closed frame's WM_QUIT is still queued, as on the system: the next run must not meet it.
    MSG quit{};
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, 0, 0, PM_REMOVE) && quit.message == WM_QUIT);
}

TEST_F(AppTest, ExitReleasesInputThenWritesTheLevelThenReleasesPrimaryBeforeDevice)
{
    ASSERT_TRUE(app.Start());
    platform_test::EnableTrace(true);
    app.Stop();
    EXPECT_EQ(platform_test::Trace(), (std::vector<std::string>{"DirectInput.Release", "WriteProfileInt",
                                                                "PrimarySurface.Release", "DirectDraw.Release"}));
}

TEST_F(AppTest, FrameLoopTicksAndFlipsOncePerPeriodAndNotWhileMinimised)
{
    ASSERT_TRUE(app.Start());
    ProbeScreen* screen = Probe();
    const int flips = platform_test::PresentCount();
    app.Ticks(5);
    EXPECT_EQ(screen->ticks, 5);
    EXPECT_EQ(platform_test::PresentCount(), flips + 5);

    app.Advance(1000);  // a long stall: one late tick, none queued up
    EXPECT_EQ(screen->ticks, 6);
    app.Advance(39);
    EXPECT_EQ(screen->ticks, 6);

    platform_test::PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    app.Ticks(3);
    EXPECT_EQ(screen->ticks, 6);
    EXPECT_EQ(platform_test::PresentCount(), flips + 6);
    platform_test::PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    app.Ticks(1);
    EXPECT_EQ(screen->ticks, 7);
    Unprobe();
}

TEST_F(AppTest, BusyFlipIsRetriedAndLostPrimaryIsRestored)
{
    ASSERT_TRUE(app.Start());
    int flips = platform_test::PresentCount();
    platform_test::SetSurfaceBusy(gPrimarySurface, 4);
    app.Ticks(1);
    EXPECT_EQ(platform_test::PresentCount(), flips + 1);

    flips = platform_test::PresentCount();
    platform_test::MarkSurfaceLost(gPrimarySurface);
    app.Ticks(1);  // the frame is skipped, the primary and its back buffer come back
    EXPECT_EQ(platform_test::PresentCount(), flips);
    EXPECT_EQ(test::LostState(gPrimarySurface), DD_OK);
    EXPECT_EQ(test::LostState(gBackSurface), DD_OK);
    app.Ticks(1);
    EXPECT_EQ(platform_test::PresentCount(), flips + 1);
}

TEST_F(AppTest, LostMenuPictureIsReloaded)
{
    ASSERT_TRUE(app.Start());
    app.Ticks(1);
    const platform_test::Frame before = platform_test::PresentedFrame();
    platform_test::MarkAllSurfacesLost();
    app.Ticks(3);
    const platform_test::Frame after = platform_test::PresentedFrame();
    EXPECT_EQ(after.pixels, before.pixels);
}

TEST_F(AppTest, DoubleClickReachesTheScreenAsOnePress)
{
    ASSERT_TRUE(app.Start());
    ProbeScreen* screen = Probe();
    platform_test::PushMouseButton(300, 160, true, true, 1);
    platform_test::PushMouseButton(300, 160, true, false, 1);
    platform_test::PushMouseButton(300, 160, true, true, 2);
    platform_test::PushMouseButton(300, 160, true, false, 2);
    app.Pump();
    ASSERT_EQ(screen->presses.size(), 1u);
    EXPECT_EQ(screen->presses[0].x, 300);
    EXPECT_EQ(screen->presses[0].y, 160);
    EXPECT_EQ(screen->releases, 2);
    Unprobe();
}

TEST_F(AppTest, KeysReachTheCurrentScreen)
{
    ASSERT_TRUE(app.Start());
    ProbeScreen* screen = Probe();
    platform_test::PushKey(SDL_SCANCODE_SPACE, true);
    platform_test::PushKey(SDL_SCANCODE_SPACE, true, true);
    app.Pump();
    EXPECT_EQ(screen->keys, (std::vector<UINT>{VK_SPACE, VK_SPACE}));
    Unprobe();
}

TEST_F(AppTest, StartGameWithAnUnknownModeShowsTheGameScreenWithoutARound)
{
    ASSERT_TRUE(app.Start());
    PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 4, 0);
    app.Pump();
    EXPECT_EQ(app.Frame()->currentScreen, app.Frame()->gameScreen);
    EXPECT_EQ(app.Frame()->gameScreen->wormCount, 0);
    EXPECT_FALSE(app.Frame()->gameScreen->running);
    EXPECT_EQ(gCursorCount, -1);

    PostMessageA(app.Frame()->m_hWnd, UM_SHOW_MENU, 0, 0);
    PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 3, 0);
    app.Pump();
    EXPECT_EQ(app.Frame()->gameScreen->wormCount, 2);
    EXPECT_TRUE(app.Frame()->gameScreen->matchMode);
}

TEST_F(AppTest, CursorCountStaysBetweenHiddenAndShown)
{
    ASSERT_TRUE(app.Start());
    for (int i = 0; i < 3; ++i) SetCursorVisible(0);
    EXPECT_EQ(gCursorCount, -1);
    for (int i = 0; i < 3; ++i) SetCursorVisible(1);
    EXPECT_EQ(gCursorCount, 0);
    SetCursorVisible(7);  // anything but 1 hides
    EXPECT_EQ(gCursorCount, -1);
    SetCursorVisible(1);
}

TEST_F(AppTest, EscapeOnTheMenuEndsTheProgram)
{
    ASSERT_TRUE(app.Start());
    platform_test::PushKey(SDL_SCANCODE_ESCAPE, true);
    app.Pump();
    EXPECT_FALSE(app.LoopRunning());
    EXPECT_EQ(app.Frame(), nullptr);
}

TEST_F(AppTest, ClosingTheWindowEndsTheProgram)
{
    ASSERT_TRUE(app.Start());
    platform_test::PushQuit();
    app.Pump();
    EXPECT_FALSE(app.LoopRunning());
    app.Stop();
    EXPECT_EQ(test::ReadFile(app.SettingsFile()), "[Nastaveni]\nlevel=1\n");
}

TEST_F(AppTest, AScreenWithoutItsPictureEndsStartUpCleanly)
{
    // The off-screen surfaces come in order: field, sprites, menu, about.
    for (int which = 0; which < 4; ++which) {
        test::AppHarness run;
        platform_test::FailNext(Fault::CreateOffscreenSurface, 1, which);
        ASSERT_TRUE(run.Start()) << which;
        ASSERT_NE(run.Frame(), nullptr);
        EXPECT_EQ(run.Frame()->currentScreen, nullptr) << which;
        const int flips = platform_test::PresentCount();
        run.Ticks(2);
        EXPECT_FALSE(run.LoopRunning()) << which;
        EXPECT_EQ(platform_test::PresentCount(), flips) << which;
        run.Stop();
        EXPECT_EQ(test::ReadFile(run.SettingsFile()), "[Nastaveni]\nlevel=1\n");
    }
}

}  // namespace

namespace {

TEST_F(AppTest, TicksAllocateNothingOnceRunning)
{
    ASSERT_TRUE(app.Start());
    app.Ticks(3);
    std::size_t before = test::AllocationCount();
    app.Ticks(50);
    EXPECT_EQ(test::AllocationCount(), before) << "menu";

    PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 2, 0);
    app.Ticks(3);
    before = test::AllocationCount();
    for (int i = 0; i < 50; ++i) {
        platform_test::PushFinger(i % 5, 60 * (i % 11), 240, i % 10 < 5 ? SDL_FINGERDOWN : SDL_FINGERUP);
        app.Ticks(1);
    }
    EXPECT_EQ(test::AllocationCount(), before) << "game, fingers steering";
}

}  // namespace
