// The online game in the program: its hooks go to the stand-ins before main runs, so the command
// line's --host and --join are known options, and the loop asks it at every turn. Built into the
// desktop's and the browser's program only; the tests' programs have no online game.
#include "net/online_game.h"
#include "platform/online.h"

namespace net {
namespace {

OnlineGame& Game()
{
    static OnlineGame* game = new OnlineGame;  // lives to the very end of the run
    return *game;
}

const platform::OnlineHooks kHooks{
    [](DWORD now, bool due, bool shown) { return Game().Gate(now, due, shown); },
    [](UINT message, WPARAM wParam) { return Game().Filter(message, wParam); },
};

[[maybe_unused]] const bool kInstalled = (platform::SetOnlineHooks(&kHooks), true);

}  // namespace
}  // namespace net
