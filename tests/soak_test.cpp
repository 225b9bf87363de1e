// The real program driven for a long while by seeded random input over every screen and
// mode, with focus loss, minimising and lost surfaces among it, restarted whenever it ends.
// LORVEX_SOAK_TICKS sets the length (100,000 by default), LORVEX_SOAK_SEED the seed.

#include <SDL.h>
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "app/worm_app.h"
#include "game/game_screen.h"
#include "platform/crt.h"
#include "screens/about_screen.h"
#include "screens/menu_screen.h"
#include "tests/support/app_harness.h"
#include "tests/support/sanitizer.h"

namespace {

long EnvOr(const char* name, long fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtol(value, nullptr, 10) : fallback;
}

std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

struct SoakFigures {
    long ticks = 0;
    int starts = 0;
    int menuTicks = 0;
    int aboutTicks = 0;
    int gameTicks = 0;
    int rounds[4] = {0, 0, 0, 0};  // by mode
    std::size_t peakHeap = 0;
    std::size_t largestDrift = 0;
};

// One program run under random input, until it ends or the ticks run out.
class Monkey {
public:
    Monkey(std::mt19937& random, SoakFigures& figures) : random_(random), figures_(figures) {}

    void Run(test::AppHarness& app, long tickLimit)
    {
        app_ = &app;
        frame_ = app.Frame();
        while (app.LoopRunning() && figures_.ticks < tickLimit) {
            Act();
            if (!app.LoopRunning()) break;
            app.Ticks(1);
            ++figures_.ticks;
            if (!app.LoopRunning()) break;
            Observe();
        }
    }

private:
    int Roll(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    void Act()
    {
        const int dice = Roll(1000);
        if (dice < 300) {
            // Anywhere, the letterbox bars and beyond the window included.
            platform_test::PushMouseMove(Roll(840) - 100, Roll(680) - 100);
        } else if (dice < 420) {
            ClickAButton();
        } else if (dice < 450) {
            platform_test::PushMouseButton(Roll(840) - 100, Roll(680) - 100, Roll(4) != 0, Roll(2) == 0);
        } else if (dice < 620) {
            static const SDL_Scancode kSteering[] = {SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_A,
                                                     SDL_SCANCODE_S};
            platform_test::PushKey(kSteering[Roll(4)], Roll(2) == 0);
        } else if (dice < 660) {
            Press(SDL_SCANCODE_SPACE, Roll(3) == 0);
        } else if (dice < 666) {
            Press(SDL_SCANCODE_ESCAPE, false);
        } else if (dice < 684) {
            platform_test::PushWindowEvent(Roll(2) == 0 ? SDL_WINDOWEVENT_FOCUS_LOST : SDL_WINDOWEVENT_FOCUS_GAINED);
        } else if (dice < 690 || (minimised_ && dice < 760)) {
            minimised_ = !minimised_;
            platform_test::PushWindowEvent(minimised_ ? SDL_WINDOWEVENT_MINIMIZED : SDL_WINDOWEVENT_RESTORED);
        } else if (dice < 694) {
            platform_test::MarkAllSurfacesLost();
        } else if (dice < 697) {
            platform_test::SimulateRenderDeviceReset();
        } else if (dice < 700) {
            LoseAScreenPicture();
        }
    }

    // A press on one of the buttons of the menu or the about screen, released now or later.
    void ClickAButton()
    {
        static const POINT kButtons[] = {{320, 160}, {320, 200}, {320, 240}, {320, 280}, {320, 320}, {320, 425}};
        const POINT p = kButtons[Roll(6)];
        const int x = p.x + Roll(160) - 80;
        const int y = p.y + Roll(40) - 20;
        // The exit button ends the program; it is pressed less often than the others.
        if (p.y == 320 && Roll(4) != 0) return;
        platform_test::PushMouseButton(x, y, true, true, 1 + Roll(2));
        if (Roll(5) != 0) platform_test::PushMouseButton(x, y, true, false, 1);
    }

    void Press(SDL_Scancode key, bool autorepeat)
    {
        platform_test::PushKey(key, true);
        if (autorepeat) platform_test::PushKey(key, true, true);
        platform_test::PushKey(key, false);
    }

    void LoseAScreenPicture()
    {
        IDirectDrawSurface* pictures[] = {frame_->gameScreen->groundSurface, frame_->gameScreen->spriteSurface,
                                          frame_->menuScreen->background, frame_->aboutScreen->background};
        platform_test::MarkSurfaceLost(pictures[Roll(4)]);
    }

    void Observe()
    {
        ASSERT_GE(gLevel, 1);
        ASSERT_LE(gLevel, 20);
        CGameScreen* game = frame_->gameScreen;
        const CScreen* current = frame_->currentScreen;
        if (current == static_cast<CScreen*>(frame_->menuScreen)) ++figures_.menuTicks;
        if (current == static_cast<CScreen*>(frame_->aboutScreen)) ++figures_.aboutTicks;
        const bool playing = current == static_cast<CScreen*>(game) && game->running;
        if (current == static_cast<CScreen*>(game)) ++figures_.gameTicks;
        const bool freshRound = playing && (!wasPlaying_ || game->worms[0].headY == 393.0) &&
                                game->worms[0].crashTicks == 0 && game->worms[0].body.GetCount() == 6;
        if (playing && !wasPlaying_) ++figures_.rounds[game->wormCount == 1 ? 1 : (game->matchMode ? 3 : 2)];
        wasPlaying_ = playing;
        if (!test::kHeapIsMeasurable) return;
        const std::size_t heap = HeapInUse();
        figures_.peakHeap = std::max(figures_.peakHeap, heap);
        // At the start of a two-worm round every body holds its one block again.
        if (freshRound && game->wormCount == 2 && game->worms[1].body.GetCount() == 6) {
            if (roundHeap_ == 0) roundHeap_ = heap;
            figures_.largestDrift = std::max(figures_.largestDrift, heap > roundHeap_ ? heap - roundHeap_ : 0);
        }
    }

    std::mt19937& random_;
    SoakFigures& figures_;
    test::AppHarness* app_ = nullptr;
    CMainFrame* frame_ = nullptr;
    bool minimised_ = false;
    bool wasPlaying_ = false;
    std::size_t roundHeap_ = 0;
};

// The settings file holds a level from 1 to 20 and nothing else.
bool IsLevelFile(const std::string& saved)
{
    for (int level = 1; level <= 20; ++level)
        if (saved == "[Nastaveni]\nlevel=" + std::to_string(level) + "\n") return true;
    return false;
}

TEST(SoakTest, RandomInputOverEveryScreenNeverBreaksTheProgramOrItsSettings)
{
    const long ticks = EnvOr("LORVEX_SOAK_TICKS", 100000);
    const unsigned seed = static_cast<unsigned>(EnvOr("LORVEX_SOAK_SEED", 20261208));
    SCOPED_TRACE("LORVEX_SOAK_SEED=" + std::to_string(seed) + " replays this run");
    std::mt19937 random(seed);
    SoakFigures figures;

    while (figures.ticks < ticks) {
        test::AppHarness app;
        ASSERT_TRUE(app.Start());
        ++figures.starts;
        crt::srand(random());
        Monkey(random, figures).Run(app, ticks);
        if (::testing::Test::HasFatalFailure()) return;
        app.Stop();
        const std::string saved = test::ReadFile(app.SettingsFile());
        ASSERT_TRUE(IsLevelFile(saved)) << saved;
    }

    std::printf(
        "soak: %ld ticks, %d starts; ticks on menu %d, about %d, game %d; rounds: one player %d, "
        "two players %d, match %d; peak heap %zu bytes, largest growth between two-worm round starts "
        "%zu bytes\n",
        figures.ticks, figures.starts, figures.menuTicks, figures.aboutTicks, figures.gameTicks, figures.rounds[1],
        figures.rounds[2], figures.rounds[3], figures.peakHeap, figures.largestDrift);
    EXPECT_GT(figures.menuTicks, 0);
    EXPECT_GT(figures.aboutTicks, 0);
    EXPECT_GT(figures.rounds[1] * figures.rounds[2] * figures.rounds[3], 0) << "every mode played";
    EXPECT_GT(figures.starts, 1) << "the program ended and started again";
    // Bodies give their blocks back: a new round needs no more heap than the first did.
    EXPECT_LE(figures.largestDrift, 16u * 1024u);
}

}  // namespace
