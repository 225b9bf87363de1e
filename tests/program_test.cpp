// The built program itself, run headless as a player would start it.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/app_harness.h"

namespace {

struct Outcome {
    int status = -1;  // -1 when a signal ended it
    std::string errors;
    std::string level;  // the settings file afterwards
};

// Starts the game with a fresh HOME, the dummy drivers and then the changes in `env` ("NAME=value"
// sets, "NAME" unsets); unless it ends by itself within `ms`, sends it `signal`.
Outcome RunGame(const std::vector<std::string>& env, int ms = 1000, int signal = SIGTERM, bool closeStderr = false,
                const std::function<void(pid_t)>& whileRunning = {})
{
    test::TempFolder home;
    const std::string errors = home.File("stderr");
    pid_t child = fork();
    if (child == 0) {
        setenv("HOME", home.Path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", home.Path().c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        for (const std::string& e : env) {
            const size_t eq = e.find('=');
            if (eq == std::string::npos) unsetenv(e.c_str());
            else setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
        }
        if (closeStderr) close(2);
        else dup2(open(errors.c_str(), O_WRONLY | O_CREAT, 0600), 2);
        execl(LORVEX_PATH, "lorvex", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    for (int waited = 0; waitpid(child, &status, WNOHANG) != child; waited += 10) {
        if (waited >= ms) {
            if (whileRunning) whileRunning(child);
            kill(child, signal);
            waitpid(child, &status, 0);
            break;
        }
        usleep(10 * 1000);
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadFile(errors),
            test::ReadFile(home.Path() + "/.local/share/Tamberlo/lorvex/settings.ini")};
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
    for (const char* driver : {"SDL_VIDEODRIVER", "SDL_VIDEODRIVER=no-such-video-driver"}) {
        const Outcome run = RunGame({driver, "DISPLAY", "WAYLAND_DISPLAY"}, 3000);
        EXPECT_EQ(run.status, 1) << driver;
        EXPECT_EQ(run.errors, "lorvex: no display could be opened\n") << driver;
        EXPECT_EQ(run.level, kLevelOne) << driver;
    }
}

TEST(ProgramTest, StartedWithStandardErrorClosedItsMessagesGoNowhere)
{
    std::string target;
    const Outcome run = RunGame({}, 1000, SIGTERM, true, [&](pid_t pid) {
        char link[256] = {};
        readlink(("/proc/" + std::to_string(pid) + "/fd/2").c_str(), link, sizeof link - 1);
        target = link;
    });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(target, "/dev/null");
}

// The X library ends the program from inside the renderer's making when the server refuses the
// GL context (no GL driver found): the game may end, but never crash, and keeps the level.
TEST(ProgramTest, AnXServerFailingTheRendererNeverCrashesTheGame)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t server = fork();
    if (server == 0) {
        dup2(open("/dev/null", O_WRONLY), 2);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    char number[16] = {};
    const bool started = read(ready[0], number, sizeof number - 1) > 0;  // written once it serves
    close(ready[0]);
    Outcome run;
    if (started)
        run = RunGame({"SDL_VIDEODRIVER", "DISPLAY=:" + std::to_string(std::atoi(number)),
                       "LIBGL_DRIVERS_PATH=/nonexistent"}, 3000);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    if (!started) GTEST_SKIP() << "no Xvfb to run an X server";
    EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status << run.errors;
    EXPECT_EQ(run.level, kLevelOne);
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
