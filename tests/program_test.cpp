// The built program itself, run headless as a player would start it.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/app_harness.h"

namespace {

// Starts the game with HOME in `home`, lets it run for `ms`, then sends it SIGTERM;
// returns its exit status (or -1 when it died from a signal).
int RunAndTerminate(const std::string& home, const char* videoDriver, int ms)
{
    pid_t child = fork();
    if (child == 0) {
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        setenv("SDL_VIDEODRIVER", videoDriver, 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(LORVEX_PATH, "lorvex", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int waited = 0; waited < ms; waited += 10) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        usleep(10 * 1000);
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ProgramTest, TerminatedAfterASecondItEndsCleanlyAndKeepsTheLevel)
{
    test::TempFolder home;
    EXPECT_EQ(RunAndTerminate(home.Path(), "dummy", 1000), 0);
    EXPECT_EQ(test::ReadFile(home.Path() + "/.local/share/Tamberlo/lorvex/settings.ini"), "[Nastaveni]\nlevel=1\n");
}

TEST(ProgramTest, ADisplayThatCannotBeOpenedEndsStartUpSilently)
{
    test::TempFolder home;
    EXPECT_EQ(RunAndTerminate(home.Path(), "no-such-video-driver", 3000), 0);
    EXPECT_EQ(test::ReadFile(home.Path() + "/.local/share/Tamberlo/lorvex/settings.ini"), "[Nastaveni]\nlevel=1\n");
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
// clock, the call trace, scripted random values); this test program, which has them all, is
// the proof that the search would see them.
TEST(ProgramTest, TheShippedGameHasNoTestHooks)
{
    const std::string shipped = DefinedSymbols(LORVEX_PATH);
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string tests = DefinedSymbols(self);
    ASSERT_NE(shipped.find("AfxWinMain"), std::string::npos) << "no symbol table to search in " LORVEX_PATH;
    for (const char* hook : {"platform_test::", "platform::ShouldFail", "platform::TraceCall",
                             "platform::NextScriptedRandom", "platform::CaptureDebugOutput"}) {
        EXPECT_NE(tests.find(hook), std::string::npos) << hook;
        EXPECT_EQ(shipped.find(hook), std::string::npos) << hook;
    }
}

}  // namespace
