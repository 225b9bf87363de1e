// `cmake --install` into a fresh prefix: every file a desktop needs in its place, and a
// game that runs from there with nothing beside it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include "tests/support/app_harness.h"

namespace {

const std::string kAppId = "com.tamberlo.lorvex";
const int kIconSizes[] = {16, 32, 48, 64, 128, 256};

struct ProgramRun {
    int status = -1;     // exit code, or -1 when killed or not started
    std::string output;  // standard output and error together
};

// Runs argv without a shell in folder `cwd`, output captured; `asUser` >= 0 drops root to
// that user and group first; `stopAfterMs` > 0 sends SIGTERM when still running by then.
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& cwd, int asUser = -1, int stopAfterMs = 0)
{
    test::TempFolder out;
    const std::string log = out.File("output.txt");
    pid_t child = fork();
    if (child == 0) {
        int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0 || dup2(fd, 1) < 0 || dup2(fd, 2) < 0 || chdir(cwd.c_str()) != 0) _exit(126);
        if (asUser >= 0 && (setgroups(0, nullptr) != 0 || setgid(asUser) != 0 || setuid(asUser) != 0)) _exit(126);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    ProgramRun run;
    int status = 0;
    bool done = false;
    for (int waited = 0; stopAfterMs > 0 && waited < stopAfterMs && !done; waited += 10) {
        done = waitpid(child, &status, WNOHANG) == child;
        if (!done) usleep(10 * 1000);
    }
    if (!done) {
        if (stopAfterMs > 0) kill(child, SIGTERM);
        waitpid(child, &status, 0);
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = test::ReadFile(log);
    return run;
}

bool IsFile(const std::string& path, bool executable = false)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
           (!executable || (st.st_mode & S_IXOTH) != 0);
}

// The value of `key` in a desktop entry's [Desktop Entry] group, or "" if absent.
std::string DesktopValue(const std::string& entry, const std::string& key)
{
    const std::string prefix = "\n" + key + "=";
    size_t at = entry.find(prefix);
    if (at == std::string::npos) return "";
    at += prefix.size();
    return entry.substr(at, entry.find('\n', at) - at);
}

std::string Gunzip(const std::string& path)
{
    std::string text;
    gzFile f = gzopen(path.c_str(), "rb");
    if (f == nullptr) return text;
    char buf[4096];
    int n;
    while ((n = gzread(f, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
    gzclose(f);
    return text;
}

// The first program of that name on PATH, or "".
std::string OnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        prefix_ = root_.File("prefix");
        install_ = RunProgram({CMAKE_COMMAND_PATH, "--install", LORVEX_BUILD_DIR, "--prefix", prefix_}, root_.Path());
        ASSERT_EQ(install_.status, 0) << install_.output;
    }
    std::string Installed(const std::string& relative) const { return prefix_ + "/" + relative; }
    std::string Icon(int size) const
    {
        const std::string s = std::to_string(size);
        return Installed("share/icons/hicolor/" + s + "x" + s + "/apps/" + kAppId + ".png");
    }

    test::TempFolder root_;
    std::string prefix_;
    ProgramRun install_;
};

TEST_F(InstallTest, PutsTheGameItsDesktopFilesManualAndDocumentsInPlace)
{
    EXPECT_TRUE(IsFile(Installed("bin/lorvex"), true));
    EXPECT_TRUE(IsFile(Installed("share/applications/" + kAppId + ".desktop")));
    EXPECT_TRUE(IsFile(Installed("share/metainfo/" + kAppId + ".metainfo.xml")));
    EXPECT_TRUE(IsFile(Installed("share/man/man6/lorvex.6.gz")));
    EXPECT_TRUE(IsFile(Installed("share/lorvex/screenshot.png")));
    EXPECT_TRUE(IsFile(Installed("share/doc/lorvex/copyright")));
    EXPECT_TRUE(IsFile(Installed("share/doc/lorvex/changelog.gz")));
    for (int size : kIconSizes) EXPECT_TRUE(IsFile(Icon(size))) << size;
    // The pictures and fonts live inside the program: nothing else goes beside it.
    EXPECT_EQ(install_.output.find("/bin/", install_.output.find("/bin/lorvex") + 1), std::string::npos)
        << install_.output;
}

TEST_F(InstallTest, IconsAreTheGeneratorsPngsAtTheSizeTheirFolderNames)
{
    for (int size : kIconSizes) {
        SCOPED_TRACE(size);
        const std::string png = test::ReadFile(Icon(size));
        ASSERT_GE(png.size(), 24u);
        EXPECT_EQ(png.substr(1, 3), "PNG");
        auto be32 = [&](size_t at) {
            return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
                   (uint32_t(uint8_t(png[at + 2])) << 8) | uint8_t(png[at + 3]);
        };
        EXPECT_EQ(be32(16), uint32_t(size));
        EXPECT_EQ(be32(20), uint32_t(size));
        EXPECT_EQ(png, test::ReadFile(std::string(LORVEX_SOURCE_DIR) + "/res/lorvex-" + std::to_string(size) + ".png"));
    }
}

TEST_F(InstallTest, DesktopEntryStartsTheGameWithItsIconAmongArcadeGames)
{
    const std::string entry = test::ReadFile(Installed("share/applications/" + kAppId + ".desktop"));
    ASSERT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_EQ(DesktopValue(entry, "Type"), "Application");
    EXPECT_EQ(DesktopValue(entry, "Name"), "Lorvex");
    EXPECT_EQ(DesktopValue(entry, "Exec"), "lorvex");
    EXPECT_EQ(DesktopValue(entry, "Icon"), kAppId);
    EXPECT_EQ(DesktopValue(entry, "Categories"), "Game;ArcadeGame;");
    EXPECT_FALSE(DesktopValue(entry, "Comment").empty());
    EXPECT_FALSE(DesktopValue(entry, "Keywords").empty());
    const std::string validator = OnPath("desktop-file-validate");
    if (validator.empty()) GTEST_SKIP() << "desktop-file-validate is not installed (./build.sh test installs it)";
    ProgramRun check = RunProgram({validator, Installed("share/applications/" + kAppId + ".desktop")}, root_.Path());
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_EQ(check.output, "");
}

TEST_F(InstallTest, MetainfoDescribesTheGameItsControlsAndRelease)
{
    const std::string meta = test::ReadFile(Installed("share/metainfo/" + kAppId + ".metainfo.xml"));
    for (const std::string& part :
         {"<id>" + kAppId + "</id>", "<launchable type=\"desktop-id\">" + kAppId + ".desktop</launchable>",
          std::string("<name>Lorvex</name>"), std::string("<summary>"), std::string("<project_license>"),
          std::string("<content_rating type=\"oars-1.1\"/>"), std::string("Left and Right arrow keys"),
          std::string("with A and S"), std::string("<release version=\"0.")})
        EXPECT_NE(meta.find(part), std::string::npos) << part;
    EXPECT_EQ(meta.find('@'), std::string::npos) << "a template value was left unfilled";
    const std::string validator = OnPath("appstreamcli");
    if (validator.empty()) GTEST_SKIP() << "appstreamcli is not installed (./build.sh test installs it)";
    ProgramRun check = RunProgram({validator, "validate", "--no-net", Installed("share/metainfo/" + kAppId + ".metainfo.xml")},
                           root_.Path());
    EXPECT_EQ(check.status, 0) << check.output;
}

TEST_F(InstallTest, ManualPageInSectionSixTellsControlsModesLevelRuleAndWhereTheLevelIsKept)
{
    const std::string page = Gunzip(Installed("share/man/man6/lorvex.6.gz"));
    ASSERT_EQ(page.rfind(".TH LORVEX 6 ", 0), 0u) << page.substr(0, 80);
    for (const char* part : {".SH CONTROLS", ".SH MODES", ".SH LEVEL", ".SH FILES", "$XDG_DATA_HOME/Tamberlo/lorvex/settings.ini",
                             "~/.local/share/Tamberlo/lorvex/settings.ini", "below 10", "above 15", "Two-player match"})
        EXPECT_NE(page.find(part), std::string::npos) << part;
    EXPECT_EQ(page.find('@'), std::string::npos) << "a template value was left unfilled";
}

TEST_F(InstallTest, InstalledGameRunsFromAnyFolderWithNothingBesideIt)
{
    test::TempFolder elsewhere;  // an empty working folder, far from the build and the sources
    const std::string home = elsewhere.File("home");
    ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ProgramRun game = RunProgram({Installed("bin/lorvex")}, elsewhere.Path(), -1, 1000);
    EXPECT_EQ(game.status, 0) << game.output;
    // A clean start and end: the level was read and written back where players keep it.
    EXPECT_EQ(test::ReadFile(home + "/.local/share/Tamberlo/lorvex/settings.ini"), "[Nastaveni]\nlevel=1\n");
}

TEST_F(InstallTest, APrefixWithoutWriteAccessFailsWithTheInstallersOwnMessage)
{
    const std::string locked = root_.File("locked");
    ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
    int user = -1;
    if (geteuid() == 0) {
        user = 65534;  // nobody: root may write anywhere
    } else {
        ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    }
    // The installer must still read the build folder as that user.
    chmod(root_.Path().c_str(), 0755);
    ProgramRun probe = RunProgram({"/bin/sh", "-c", std::string("test -r '") + LORVEX_BUILD_DIR + "/cmake_install.cmake'"},
                           root_.Path(), user);
    if (probe.status != 0) GTEST_SKIP() << "the build folder cannot be read without root";
    ProgramRun run = RunProgram({CMAKE_COMMAND_PATH, "--install", LORVEX_BUILD_DIR, "--prefix", locked + "/usr"}, root_.Path(), user);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("cannot create directory: " + locked + "/usr"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Maybe need administrative privileges."), std::string::npos) << run.output;
    struct stat st{};
    EXPECT_NE(stat((locked + "/usr").c_str(), &st), 0) << "nothing was installed";
}

}  // namespace
