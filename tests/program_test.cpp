// The built program itself, run headless as a player would start it.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace {

struct Outcome {
    int status = -1;          // -1 when a signal ended it
    std::string errors;       // what it wrote to standard output and error
    std::string level;        // the settings file afterwards
    std::string errorTarget;  // what its descriptor 2 was open on before the signal
};

// Starts the game with a fresh HOME, then the changes in `env`; unless it ends by itself
// within `ms`, sends it `signal`.
Outcome RunGame(const std::vector<std::string>& env, int ms = 1000, int signal = SIGTERM, bool closeStderr = false)
{
    test::TempFolder home;
    test::Command command{{LORVEX_PATH}, {"HOME=" + home.Path(), "XDG_RUNTIME_DIR=" + home.Path(), "XDG_DATA_HOME"}};
    command.env.insert(command.env.end(), env.begin(), env.end());
    command.output = home.File("output");
    command.closeErrors = closeStderr;
    test::Child game(command);
    char target[256] = {};
    const std::string errors = "/proc/" + std::to_string(game.Pid()) + "/fd/2";
    if (!game.EndsWithin(ms)) readlink(errors.c_str(), target, sizeof target - 1);
    return {game.Stop(signal).status, test::ReadFile(command.output),
            test::ReadFile(home.Path() + "/.local/share/Tamberlo/lorvex/settings.ini"), target};
}

constexpr const char* kLevelOne = "[Nastaveni]\nlevel=1\n";

TEST(ProgramTest, TerminatedHungUpOrCutOffItEndsCleanlyAndKeepsTheLevel)
{
    for (int signal : {SIGTERM, SIGHUP, SIGPIPE}) {
        const Outcome run = RunGame({}, 1000, signal);
        EXPECT_EQ(run.status, 0) << signal;
        EXPECT_EQ(run.level, kLevelOne) << signal;
    }
}

TEST(ProgramTest, WithoutADisplayItSaysSoOnceAndEndsWithStatusOne)
{
    // Without XDG_RUNTIME_DIR the Wayland library's complaint came first.
    for (const char* change : {"SDL_VIDEODRIVER", "SDL_VIDEODRIVER=no-such-video-driver", "XDG_RUNTIME_DIR"}) {
        const Outcome run = RunGame({"SDL_VIDEODRIVER", change, "DISPLAY", "WAYLAND_DISPLAY"}, 3000);
        EXPECT_EQ(run.status, 1) << change;
        EXPECT_EQ(run.errors, "lorvex: no display could be opened\n") << change;
        EXPECT_EQ(run.level, kLevelOne) << change;
    }
}

TEST(ProgramTest, StartedWithStandardErrorClosedItsMessagesGoNowhere)
{
    const Outcome run = RunGame({}, 1000, SIGTERM, true);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errorTarget, "/dev/null");
}

// The X library ends the program from inside the renderer's making when the server refuses the
// GL context (no GL driver found): the game may end, but never crash, and keeps the level. SDL
// is left as it was then, so what it holds is no leak to look for.
TEST(ProgramTest, AnXServerFailingTheRendererNeverCrashesTheGame)
{
    test::XServer server;
    const bool started = !server.Display().empty();
    Outcome run;
    if (started)
        run = RunGame(
            {"SDL_VIDEODRIVER", server.Display(), "LIBGL_DRIVERS_PATH=/nonexistent", "ASAN_OPTIONS=detect_leaks=0"},
            3000);
    if (!started) GTEST_SKIP() << "no Xvfb to run an X server";
    EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status << run.errors;
    EXPECT_EQ(run.level, kLevelOne);
}

TEST(ProgramTest, AnUnknownOptionIsOneLineAndStatusTwo)
{
    test::TempFolder home;
    test::Command command{{LORVEX_PATH, "--no-such-option"}, {"HOME=" + home.Path()}};
    command.output = home.File("output");
    test::Child game(command);
    EXPECT_TRUE(game.EndsWithin(3000));
    EXPECT_EQ(game.Stop(SIGTERM).status, 2);
    EXPECT_EQ(test::ReadFile(command.output),
              "lorvex: unknown option '--no-such-option' (lorvex --help lists the options)\n");
}

// The symbols a program defines, demangled, one a line.
std::string DefinedSymbols(const std::string& program)
{
    std::string out;
    FILE* pipe = popen(("nm -C --defined-only '" + program + "' 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
}

// The shipped game carries none of the machinery that tests drive (injected faults, the test
// clock, the call trace, scripted random values, wrapped platform calls); this test program,
// which has them all, is the proof that the search would see them.
TEST(ProgramTest, TheShippedGameHasNoTestHooks)
{
    const std::string shipped = DefinedSymbols(LORVEX_PATH);
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string tests = DefinedSymbols(self);
    ASSERT_NE(shipped.find("AfxWinMain"), std::string::npos) << "no symbol table to search in " LORVEX_PATH;
    for (const char* hook : {"platform_test::", "test::ShouldFail", "test::TraceCall", "__wrap_SDL_GetTicks64",
                             "__wrap_DirectDrawCreate", "__wrap__ZN3crt4randEv"}) {
        EXPECT_NE(tests.find(hook), std::string::npos) << hook;
        EXPECT_EQ(shipped.find(hook), std::string::npos) << hook;
    }
}

}  // namespace
