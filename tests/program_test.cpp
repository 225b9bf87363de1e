// The built program itself, run headless as a player would start it.
#include <gtest/gtest.h>

#include <csignal>
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

}  // namespace
