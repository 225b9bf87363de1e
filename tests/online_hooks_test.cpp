// The stand-ins' hooks for the online game: a tick held back by the gate, messages kept from the
// window, and a key table read only from the online holder, focus or none.
#include <SDL.h>
#include <gtest/gtest.h>

#include "game/game_screen.h"
#include "platform/dinput.h"
#include "platform/online.h"
#include "tests/support/app_harness.h"

namespace {

bool gOpen = true;
int gAsked = 0;
const platform::OnlineHooks kHooks{
    [](DWORD, bool due, bool) {
        gAsked += due ? 1 : 0;
        return gOpen;
    },
    [](UINT message, WPARAM) { return message == UM_SHOW_ABOUT; },
};

TEST(OnlineHooksTest, TheGateHoldsTicksAndTheOnlineHolderAloneSteersWhateverTheFocus)
{
    test::AppHarness app;
    ASSERT_TRUE(app.Start());
    platform::SetOnlineHooks(&kHooks);
    PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 2, 0);
    app.Pump();
    CGameScreen* game = app.Frame()->gameScreen;
    platform::ReadKeysOf(platform::kOnlineHolder);
    platform_test::PushKey(SDL_SCANCODE_LEFT, true);
    platform::HoldKey(DIK_S, platform::kOnlineHolder, true);

    gOpen = false;
    app.Ticks(3);
    EXPECT_EQ(game->worms[0].headY, 400.0);  // no tick ran
    EXPECT_GE(gAsked, 3);
    gOpen = true;
    app.Ticks(1);
    EXPECT_EQ(game->worms[0].headY, 393.0);
    EXPECT_EQ(game->worms[0].turn, 0);  // the keyboard's Left is not read
    EXPECT_EQ(game->worms[1].turn, 1);
    EXPECT_TRUE(platform::IsHeldBy(DIK_LEFT, platform::kLocalHolders));
    platform_test::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    app.Ticks(2);
    EXPECT_EQ(game->worms[1].turn, 1);  // both sides must read alike, focused or not

    PostMessageA(app.Frame()->m_hWnd, UM_SHOW_ABOUT, 0, 0);
    app.Pump();
    EXPECT_EQ(app.Frame()->currentScreen, game);

    platform::ReadKeysOf(0xFF);
    platform::HoldKey(DIK_S, platform::kOnlineHolder, false);
    platform::SetOnlineHooks(nullptr);
    app.Stop();
}

}  // namespace
