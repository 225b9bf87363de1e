// The level file under faults a player's machine can throw at the game: the folder taken away,
// locked or replaced while the game runs, and no data folder at all.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "game/game_screen.h"
#include "tests/support/app_harness.h"
#include "tests/support/sanitizer.h"
#include "tests/support/unprivileged.h"

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Starts on a stored level 7, plays up to 9, lets `fault` strike the folder, then exits.
// Returns 0 when start-up, play and exit all went through.
int PlayAndExitAfter(test::AppHarness& app, const std::function<void()>& fault)
{
    if (!app.Start() || gLevel != 7) return 1;
    app.Ticks(5);
    gLevel = 9;
    fault();
    app.Ticks(5);
    if (!app.LoopRunning()) return 2;
    app.Stop();
    return 0;
}

const char* const kStored = "[Nastaveni]\nlevel=7\n";

TEST(SettingsFaultsTest, AFolderThatBecameUnwritableKeepsTheOldLevel)
{
    test::TempFolder home;
    const std::string folder = home.Path() + "/.local/share/Tamberlo/lorvex";
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    ASSERT_TRUE(test::WriteFile(folder + "/settings.ini", kStored));
    ASSERT_TRUE(test::GiveToUnprivileged(home.Path()));
    // As a player would: root would write through any permission bits.
    const int result = test::RunUnprivileged([&] {
        test::AppHarness run;
        setenv("HOME", home.Path().c_str(), 1);
        return PlayAndExitAfter(run, [&] { chmod(folder.c_str(), 0500); });
    });
    chmod(folder.c_str(), 0700);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(test::ReadFile(folder + "/settings.ini"), kStored);
    EXPECT_EQ(test::FolderEntries(folder), std::vector<std::string>{"settings.ini"});
}

TEST(SettingsFaultsTest, AFolderRemovedWhilePlayingIsNotMadeAgain)
{
    test::AppHarness app;
    app.WriteSettings(kStored);
    EXPECT_EQ(PlayAndExitAfter(app,
                               [&] {
                                   std::remove(app.SettingsFile().c_str());
                                   rmdir(app.SettingsFolder().c_str());
                               }),
              0);
    EXPECT_FALSE(Exists(app.SettingsFolder()));
}

TEST(SettingsFaultsTest, AFolderReplacedByAFileKeepsBoth)
{
    test::AppHarness app;
    app.WriteSettings(kStored);
    const std::string moved = app.SettingsFolder() + ".moved";
    EXPECT_EQ(PlayAndExitAfter(app,
                               [&] {
                                   rename(app.SettingsFolder().c_str(), moved.c_str());
                                   test::WriteFile(app.SettingsFolder(), "not a folder");
                               }),
              0);
    EXPECT_EQ(test::ReadFile(app.SettingsFolder()), "not a folder");
    EXPECT_EQ(test::ReadFile(moved + "/settings.ini"), kStored);
    EXPECT_EQ(test::FolderEntries(moved), std::vector<std::string>{"settings.ini"});
}

// No HOME and no XDG data folder: nowhere to keep the level, so none is read and nothing is
// written, not even into the working folder.
TEST(SettingsFaultsTest, WithoutHomeOrDataFolderTheGamePlaysAtLevelOneAndWritesNothing)
{
    test::AppHarness app;
    unsetenv("HOME");
    char workingFolder[PATH_MAX];
    ASSERT_NE(getcwd(workingFolder, sizeof workingFolder), nullptr);
    ASSERT_EQ(chdir(app.Home().c_str()), 0);
    const int presentsBefore = platform_test::PresentCount();
    const bool started = app.Start();
    const int level = gLevel;
    app.Ticks(25);
    const bool running = app.LoopRunning();
    app.Stop();
    ASSERT_EQ(chdir(workingFolder), 0);
    EXPECT_TRUE(started);
    EXPECT_TRUE(running);
    EXPECT_EQ(level, 1);
    EXPECT_GE(platform_test::PresentCount() - presentsBefore, 25);
    EXPECT_TRUE(test::FolderEntries(app.Home()).empty());
}

// Root run with another user's HOME (sudo -E) plays at the stored level and makes or writes
// nothing there: folders made as root would lock the user out of them for good.
TEST(SettingsFaultsTest, RootWithAnotherUsersHomeWritesNothingThere)
{
    if (geteuid() != 0) GTEST_SKIP() << "only root can run with a HOME that another user owns";
    for (const bool levelStored : {true, false}) {
        test::AppHarness app;
        if (levelStored) app.WriteSettings(kStored);
        ASSERT_TRUE(test::GiveToUnprivileged(app.Home()));
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(gLevel, levelStored ? 7 : 1);
        gLevel = 9;
        app.Stop();
        EXPECT_EQ(test::ReadFile(app.SettingsFile()), levelStored ? kStored : "");
        EXPECT_EQ(test::FolderEntries(app.Home()).size(), levelStored ? 1u : 0u);
    }
}

// An empty XDG_DATA_HOME counts as unset: the level goes under HOME, not to /Tamberlo.
TEST(SettingsFaultsTest, AnEmptyDataHomeKeepsTheLevelUnderHome)
{
    const bool rootFolderBefore = Exists("/Tamberlo");
    test::AppHarness app;
    test::ScopedEnv emptyDataHome("XDG_DATA_HOME", "");
    app.WriteSettings(kStored);
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(gLevel, 7);
    gLevel = 8;
    app.Stop();
    const bool madeAtRoot = !rootFolderBefore && Exists("/Tamberlo");
    if (madeAtRoot) (void)std::system("rm -rf /Tamberlo");
    EXPECT_FALSE(madeAtRoot);
    EXPECT_EQ(test::ReadFile(app.SettingsFile()), "[Nastaveni]\nlevel=8\n");
}

// A round that changes the level saves it when it ends: a kill or a crash later loses nothing.
TEST(SettingsFaultsTest, ARoundThatChangesTheLevelSavesItAtOnce)
{
    test::AppHarness app;
    app.WriteSettings(kStored);
    ASSERT_TRUE(app.Start());
    PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 1, 0);
    for (int tick = 0; tick < 2000 && (tick == 0 || app.Frame()->gameScreen->running); ++tick) app.Ticks(1);
    platform_test::PushKey(SDL_SCANCODE_SPACE, true);
    app.Ticks(2);
    EXPECT_EQ(test::ReadFile(app.SettingsFile()), "[Nastaveni]\nlevel=6\n");  // no food: one level down
}

// The built game as a player starts it, with HOME at `home`, the changes in `env` and the shell's
// `limits` (shell commands); `signal` after `ms` unless it ended. `said` takes its output.
test::Ending RunGame(const std::string& home, std::string& said, const std::string& limits,
                     std::vector<std::string> env, int ms = 1000, int signal = SIGTERM)
{
    test::TempFolder out;
    test::Command command({"/bin/sh", "-c", limits + "exec \"$0\"", LORVEX_PATH}, std::move(env));
    command.env.insert(command.env.begin(), {"HOME=" + home, "XDG_DATA_HOME", "XDG_RUNTIME_DIR=" + home});
    command.output = out.File("output");
    test::Child game(command);
    const test::Ending end = game.EndsWithin(ms) ? game.Wait() : game.Stop(signal);
    said = test::ReadFile(command.output);
    return end;
}

// A failed save: one line on standard error, status 0 all the same (the game ran), the old file
// as it was and no temporary file beside it. A file size limit once killed the save half-way.
TEST(SettingsFaultsTest, AFailedSaveSaysSoInOneLine)
{
    test::AppHarness app;  // a HOME with settings larger than a size limit of 512 bytes, not the line
    const std::string stored = std::string(kStored) + "; " + std::string(1000, '-') + "\n", file = app.SettingsFile();
    app.WriteSettings(stored);
    const char* const limits[] = {"ulimit -f 1; ", "", ""};
    const char* const unset[] = {"DISPLAY", "HOME", "DISPLAY"};
    const std::string says[] = {file + " could not be written: File too large", "has no folder to go in (no HOME)",
                                file + " could not be written: Is a directory"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(i < 2 || (std::remove(file.c_str()) == 0 && mkdir(file.c_str(), 0700) == 0));
        std::string said;
        EXPECT_EQ(RunGame(app.Home(), said, limits[i], {unset[i]}).status, 0);
        EXPECT_EQ(said, "lorvex: level is not saved: " + says[i] + "\n");
        EXPECT_EQ(test::ReadFile(file), i < 2 ? stored : "");
        EXPECT_EQ(test::FolderEntries(app.SettingsFolder()), std::vector<std::string>{"settings.ini"});
    }
}

// A termination signal closes the game as its window's close does: the exit's write reads the
// file as the player left it, and a foreign file stays as it is. A signal handler once wrote a
// copy made at the start over the player's changes. With the X server stopped, the game ends by
// the signal, with the file untouched.
TEST(SettingsFaultsTest, ATerminationSignalKeepsWhatThePlayerChangedInTheFile)
{
    test::XServer server;
    const std::string foreign(70000, 'x');
    struct Case {
        std::string change, expected;
        bool stuck;
    } cases[] = {{"printf '[Other]\\nx=1\\n' >>", "[Nastaveni]\nlevel=7\n[Other]\nx=1\n", false},
                 {"head -c 70000 /dev/zero | tr '\\0' x >", foreign, false},
                 {"printf '[Other]\\nx=1\\n' >>", "[Nastaveni]\nlevel = 7 \n[Other]\nx=1\n", true}};
    for (const Case& c : cases) {
        if (c.stuck && server.Display().empty()) GTEST_SKIP() << "no Xvfb to run an X server";
        test::AppHarness app;
        app.WriteSettings("[Nastaveni]\nlevel = 7 \n");
        const std::string stop = c.stuck ? "kill -STOP " + std::to_string(server.Pid()) + "; sleep 0.5; " : "";
        const std::string play = "(sleep 1.5; " + stop + c.change + " '" + app.SettingsFile() + "'; kill $$) & ";
        std::string said;
        std::vector<std::string> display;
        if (c.stuck) display = {"SDL_VIDEODRIVER", server.Display()};
        const test::Ending end = RunGame(app.Home(), said, play, display, 9000, SIGKILL);
        if (c.stuck) kill(server.Pid(), SIGCONT);
        EXPECT_EQ(end.signal, c.stuck ? SIGTERM : 0) << said;
        EXPECT_TRUE(test::ReadFile(app.SettingsFile()) == c.expected) << c.change;
    }
}

// A signal ignored when the game started (nohup, a shell's background job) stays ignored.
TEST(SettingsFaultsTest, ASignalIgnoredAtTheStartDoesNotEndTheGame)
{
    test::TempFolder home;
    std::string said;
    const std::string ignored = "trap '' HUP INT; (sleep 1; kill -HUP $$; kill -INT $$) & ";
    EXPECT_EQ(RunGame(home.Path(), said, ignored, {}, 2500, SIGKILL).signal, SIGKILL) << said;
}

// Short of memory at start-up, at any limit: the game runs, or it ends with status 1 and one
// line (or the loader refuses it before it starts); it never crashes.
TEST(SettingsFaultsTest, ShortOfMemoryAtStartItEndsWithOneLine)
{
    if (!test::kHeapIsMeasurable) GTEST_SKIP() << "the address sanitizer reserves more than these limits";
    for (int megabytes = 26; megabytes <= 42; ++megabytes) {
        test::TempFolder home;
        std::string said;
        const test::Ending end =
            RunGame(home.Path(), said, "ulimit -v " + std::to_string(megabytes << 10) + "; ", {}, 400);
        const bool oneLine = said.rfind("lorvex: ", 0) == 0 && std::count(said.begin(), said.end(), '\n') == 1;
        EXPECT_TRUE(end.status == 0 || end.status == 127 || (end.status == 1 && oneLine))
            << megabytes << " MB: " << said;
    }
}

}  // namespace
