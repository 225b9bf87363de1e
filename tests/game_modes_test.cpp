// Whole rounds through the real program: started with UM_START_GAME, played with pushed
// keys and the clock alone, ended with Space or Esc, and the level they leave behind.

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cursor.h"
#include "screens/menu_screen.h"
#include "platform/crt.h"
#include "tests/support/game_fixture.h"

namespace {

using test::BonusDraw;
using test::ItemDraw;

// Steers worms round a loop of their own, as a player watching the screen would: worm 0
// clockwise with the right arrow on the right, worm 1 anticlockwise with A on the left.
class Pilot {
public:
    explicit Pilot(CGameScreen* game) : game_(game) {}

    void Fly()
    {
        for (int i = 0; i < game_->wormCount; ++i) Hold(i, WantsTurn(i));
    }
    void LetGo()
    {
        for (int i = 0; i < 2; ++i) Hold(i, false);
    }

private:
    struct Lane {
        SDL_Scancode key;
        int sign;
        // Past these the worm turns: heading up, right, down, left.
        double top, right, bottom, left;
    };
    static constexpr Lane kLanes[2] = {{SDL_SCANCODE_RIGHT, 1, 110, 540, 390, 380},
                                       {SDL_SCANCODE_A, -1, 110, 230, 390, 90}};

    bool WantsTurn(int i) const
    {
        const WormRecord& worm = game_->worms[i];
        const int next = (worm.direction + worm.turn + 24) % 24;  // the heading after the next tick
        if (next % 6 != 0) return true;                           // finish the quarter turn
        const Lane& lane = kLanes[i];
        switch (next / 6) {
        case 0: return worm.headY < lane.top;
        case 1: return worm.headX > lane.right;
        case 2: return worm.headY > lane.bottom;
        default: return worm.headX < lane.left;
        }
    }

    void Hold(int i, bool down)
    {
        if (held_[i] == down) return;
        held_[i] = down;
        platform_test::PushKey(kLanes[i].key, down);
    }

    CGameScreen* game_;
    bool held_[2] = {false, false};
};

// The program started with a level saved, and the rounds played on it.
class Session {
public:
    explicit Session(int level)
    {
        app.WriteSettings("[Nastaveni]\nlevel=" + std::to_string(level) + "\n");
        started = app.Start();
        game = started ? app.Frame()->gameScreen : nullptr;
        crt::srand(1234);  // where the bonus goes once it has stayed its time
    }

    // Starts a round whose food lies in the way of one worm after another while they run
    // up the field: each eaten two ticks after the last, from the fourth tick on (a worm that
    // eats while its head is within 20 pixels of its tail, as at the start, hits the new
    // segments there). After the given numbers of foods it goes out of everyone's way.
    void StartFed(int mode, int foods0, int foods1 = 0)
    {
        ASSERT_TRUE(started);
        platform_test::ScriptRandom(BonusDraw(615, 30, 1, 150));
        int y = 356;
        for (int k = 0, left0 = foods0, left1 = foods1; left0 + left1 > 0; ++k, y -= 14) {
            const bool first = left0 > 0 && (left1 == 0 || k % 2 == 0);
            platform_test::ScriptRandom(ItemDraw(first ? 400 : 200, y));
            (first ? left0 : left1) -= 1;
        }
        platform_test::ScriptRandom(ItemDraw(615, 450));
        PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, static_cast<WPARAM>(mode), 0);
        app.Pump();
    }

    // Plays until the first crash: round the loops for a while, then straight into a wall.
    int PlayToACrash(int loopTicks = 300)
    {
        Pilot pilot(game);
        int tick = 0;
        for (; tick < 2000 && game->running; ++tick) {
            if (tick < loopTicks) pilot.Fly();
            else pilot.LetGo();
            app.Ticks(1);
        }
        pilot.LetGo();
        app.Pump();
        app.Ticks(20);  // the crash frames run; nothing else changes
        return tick;
    }

    void Press(SDL_Scancode key, bool repeat = false)
    {
        platform_test::PushKey(key, true, repeat);
        platform_test::PushKey(key, false);
        app.Pump();
    }

    bool OnMenu() const { return app.Frame()->currentScreen == static_cast<CScreen*>(app.Frame()->menuScreen); }
    bool OnGame() const { return app.Frame()->currentScreen == static_cast<CScreen*>(game); }
    int Score() const { return game->worms[0].score + (game->wormCount == 2 ? game->worms[1].score : 0); }
    std::string SavedAtExit()
    {
        app.Stop();
        return test::ReadFile(app.SettingsFile());
    }

    test::AppHarness app;
    bool started = false;
    CGameScreen* game = nullptr;
};

std::string Level(int level)
{
    return "[Nastaveni]\nlevel=" + std::to_string(level) + "\n";
}

TEST(GameModesTest, OnePlayerRoundsMoveTheLevelByTheirScore)
{
    const struct {
        int level, foods, after;
    } cases[] = {{5, 9, 4}, {5, 10, 5}, {5, 15, 5}, {5, 16, 6}, {1, 3, 1}, {20, 16, 20}};
    for (const auto& c : cases) {
        Session session(c.level);
        ASSERT_TRUE(session.started);
        session.StartFed(1, c.foods);
        ASSERT_TRUE(session.OnGame());
        EXPECT_EQ(gCursorCount, -1) << "no cursor over a round";
        EXPECT_EQ(session.game->growthPerFood, c.level);
        const int played = session.PlayToACrash();
        EXPECT_GT(played, 150) << "hundreds of ticks round the loop before the crash";
        ASSERT_FALSE(session.game->running);
        EXPECT_EQ(session.Score(), c.foods) << "level " << c.level;
        EXPECT_EQ(session.game->worms[0].body.GetCount(), 6 + c.foods * c.level);
        EXPECT_EQ(gLevel, c.level) << "the level waits for the round to be left";
        session.Press(SDL_SCANCODE_SPACE);
        EXPECT_TRUE(session.OnMenu());
        EXPECT_EQ(gLevel, c.after) << c.foods << " foods at level " << c.level;
        EXPECT_EQ(test::ReadFile(session.app.SettingsFile()), Level(c.after)) << "saved as the round is left";
        EXPECT_EQ(session.SavedAtExit(), Level(c.after));
    }
}

TEST(GameModesTest, TwoPlayersTogetherAddTheirScoresAndGrowOneLessPerFood)
{
    {
        Session session(5);
        session.StartFed(2, 6, 5);
        ASSERT_TRUE(session.OnGame());
        EXPECT_EQ(session.game->growthPerFood, 4);
        session.PlayToACrash();
        ASSERT_FALSE(session.game->running);
        EXPECT_EQ(session.game->worms[0].score, 6);
        EXPECT_EQ(session.game->worms[1].score, 5);
        session.Press(SDL_SCANCODE_ESCAPE);  // Esc after the round ends it like Space
        EXPECT_TRUE(session.OnMenu());
        EXPECT_EQ(gLevel, 5) << "11 together keeps the level";
    }

    // Level 1 and level 2 both grow two worms by one segment a food.
    for (int level : {1, 2}) {
        Session low(level);
        low.StartFed(2, 1, 1);
        EXPECT_EQ(low.game->growthPerFood, 1);
        low.app.Ticks(6);
        EXPECT_EQ(low.game->worms[0].body.GetCount(), 7);
        EXPECT_EQ(low.game->worms[1].body.GetCount(), 7);
    }
}

TEST(GameModesTest, EscapeAbandonsARunningRoundOfAnyModeAndSpaceDoesNothingThere)
{
    for (int mode : {1, 2, 3}) {
        Session session(7);
        session.StartFed(mode, 12);
        session.app.Ticks(30);  // twelve foods eaten
        ASSERT_TRUE(session.game->running);
        session.Press(SDL_SCANCODE_SPACE);
        session.app.Ticks(1);
        EXPECT_TRUE(session.OnGame()) << mode;
        EXPECT_TRUE(session.game->running) << mode;
        session.Press(SDL_SCANCODE_ESCAPE);
        EXPECT_TRUE(session.OnMenu()) << mode;
        EXPECT_EQ(gCursorCount, 0) << "the menu shows the cursor again";
        EXPECT_EQ(gLevel, 7) << mode;
        EXPECT_EQ(session.SavedAtExit(), Level(7)) << mode;
    }
}

TEST(GameModesTest, AMatchReplaysWithSpaceKeepingThePointsAndNeverMovesTheLevel)
{
    Session session(9);
    session.StartFed(3, 0);
    ASSERT_TRUE(session.game->matchMode);
    session.PlayToACrash(120);
    ASSERT_FALSE(session.game->running);
    const int wins0 = session.game->worms[0].wins;
    const int wins1 = session.game->worms[1].wins;
    // Each crash is a point for the other worm.
    EXPECT_EQ(wins0 + wins1, (session.game->worms[0].crashTicks > 0) + (session.game->worms[1].crashTicks > 0));
    EXPECT_GT(wins0 + wins1, 0);

    session.Press(SDL_SCANCODE_SPACE);  // replayed at once, on the same screen
    EXPECT_TRUE(session.OnGame());
    EXPECT_TRUE(session.game->running);
    EXPECT_TRUE(session.game->matchMode);
    EXPECT_EQ(session.game->worms[0].wins, wins0);
    EXPECT_EQ(session.game->worms[1].wins, wins1);
    EXPECT_EQ(session.game->worms[0].headY, 400.0);
    EXPECT_EQ(gCursorCount, -1);

    session.PlayToACrash(60);
    ASSERT_FALSE(session.game->running);
    EXPECT_GT(session.game->worms[0].wins + session.game->worms[1].wins, wins0 + wins1);
    session.Press(SDL_SCANCODE_ESCAPE);
    EXPECT_TRUE(session.OnMenu());
    EXPECT_EQ(gLevel, 9);

    // From the menu a match begins at nought to nought.
    session.StartFed(3, 0);
    EXPECT_EQ(session.game->worms[0].wins, 0);
    EXPECT_EQ(session.game->worms[1].wins, 0);
    EXPECT_EQ(session.SavedAtExit(), Level(9));
}

TEST(GameModesTest, KeysArrivingTogetherEndARoundOnce)
{
    // Autorepeat of Space after the crash, and Space with Esc: one level change, one menu.
    Session session(5);
    session.StartFed(1, 16);
    session.PlayToACrash();
    platform_test::PushKey(SDL_SCANCODE_SPACE, true);
    platform_test::PushKey(SDL_SCANCODE_SPACE, true, true);
    platform_test::PushKey(SDL_SCANCODE_SPACE, true, true);
    platform_test::PushKey(SDL_SCANCODE_SPACE, false);
    session.app.Pump();
    EXPECT_TRUE(session.OnMenu());
    EXPECT_EQ(gLevel, 6);

    // Key messages already queued behind the one that ended the round find the screen
    // on its way out: no second level change, no second menu, no round started.
    session.StartFed(1, 16);
    session.PlayToACrash();
    const HWND window = session.app.Frame()->m_hWnd;
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    session.app.Pump();
    EXPECT_TRUE(session.OnMenu());
    EXPECT_TRUE(session.app.LoopRunning()) << "the queued Esc did not reach the menu";
    EXPECT_EQ(gLevel, 7);

    // In a match, repeated Space after a crash starts one new round.
    session.StartFed(3, 0);
    session.PlayToACrash(30);
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    session.app.Pump();
    session.app.Ticks(1);
    EXPECT_TRUE(session.game->running);
    EXPECT_EQ(session.game->worms[0].headY, 393.0) << "one round, one tick into it";
}

TEST(GameModesTest, AScreenShownWithoutARoundTicksAndEscapeLeavesIt)
{
    Session session(4);
    PostMessageA(session.app.Frame()->m_hWnd, UM_START_GAME, 4, 0);
    session.app.Ticks(5);
    EXPECT_TRUE(session.OnGame());
    session.Press(SDL_SCANCODE_SPACE);
    EXPECT_TRUE(session.OnGame());
    session.Press(SDL_SCANCODE_ESCAPE);
    EXPECT_TRUE(session.OnMenu());
    EXPECT_EQ(gLevel, 4) << "no round, no change";
}

}  // namespace
