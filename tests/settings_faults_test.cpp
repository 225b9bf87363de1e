// The level file under faults a player's machine can throw at the game: the folder taken away,
// locked or replaced while the game runs, and no data folder at all.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/app_harness.h"
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
    EXPECT_EQ(PlayAndExitAfter(app, [&] {
        std::remove(app.SettingsFile().c_str());
        rmdir(app.SettingsFolder().c_str());
    }), 0);
    EXPECT_FALSE(Exists(app.SettingsFolder()));
}

TEST(SettingsFaultsTest, AFolderReplacedByAFileKeepsBoth)
{
    test::AppHarness app;
    app.WriteSettings(kStored);
    const std::string moved = app.SettingsFolder() + ".moved";
    EXPECT_EQ(PlayAndExitAfter(app, [&] {
        rename(app.SettingsFolder().c_str(), moved.c_str());
        test::WriteFile(app.SettingsFolder(), "not a folder");
    }), 0);
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

}  // namespace
