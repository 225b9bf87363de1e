// `cmake --install` into a fresh prefix: every file a desktop needs in its place, and a
// game that runs from there with nothing beside it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace {

const std::string kAppId = "com.tamberlo.lorvex";
const int kIconSizes[] = {16, 32, 48, 64, 128, 256};

struct ProgramRun {
    int status = -1;     // exit code, or -1 when killed or not started
    std::string output;  // standard output and error together
};

// Runs the command in `folder`, its output captured; with a time limit, sends SIGTERM when it
// still runs by then.
ProgramRun RunIn(const std::string& folder, test::Command command, int limitMs = 0)
{
    test::TempFolder out;
    command.folder = folder;
    command.output = out.File("output.txt");
    const int status = test::RunProgram(command, limitMs).status;
    return {status, test::ReadFile(command.output)};
}

bool IsFile(const std::string& path, bool executable = false)
{
    struct stat st {};
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
        install_ = RunIn(root_.Path(), {{CMAKE_COMMAND_PATH, "--install", LORVEX_BUILD_DIR, "--prefix", prefix_}});
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
        EXPECT_EQ(test::GetBe32(png, 16), uint32_t(size));
        EXPECT_EQ(test::GetBe32(png, 20), uint32_t(size));
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
    ProgramRun check = RunIn(root_.Path(), {{validator, Installed("share/applications/" + kAppId + ".desktop")}});
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
    ProgramRun check = RunIn(
        root_.Path(), {{validator, "validate", "--no-net", Installed("share/metainfo/" + kAppId + ".metainfo.xml")}});
    EXPECT_EQ(check.status, 0) << check.output;
}

TEST_F(InstallTest, ManualPageInSectionSixTellsControlsModesLevelRuleAndWhereTheLevelIsKept)
{
    const std::string page = Gunzip(Installed("share/man/man6/lorvex.6.gz"));
    ASSERT_EQ(page.rfind(".TH LORVEX 6 ", 0), 0u) << page.substr(0, 80);
    for (const char* part :
         {".SH CONTROLS", ".SH MODES", ".SH LEVEL", ".SH FILES", "$XDG_DATA_HOME/Tamberlo/lorvex/settings.ini",
          "~/.local/share/Tamberlo/lorvex/settings.ini", "below 10", "above 15", "Two-player match"})
        EXPECT_NE(page.find(part), std::string::npos) << part;
    EXPECT_EQ(page.find('@'), std::string::npos) << "a template value was left unfilled";
}

TEST_F(InstallTest, InstalledGameRunsFromAnyFolderWithNothingBesideIt)
{
    test::TempFolder elsewhere;  // an empty working folder, far from the build and the sources
    const std::string home = elsewhere.File("home");
    ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
    ProgramRun game = RunIn(elsewhere.Path(), {{Installed("bin/lorvex")}, {"HOME=" + home, "XDG_DATA_HOME"}}, 1000);
    EXPECT_EQ(game.status, 0) << game.output;
    // A clean start and end: the level was read and written back where players keep it.
    EXPECT_EQ(test::ReadFile(home + "/.local/share/Tamberlo/lorvex/settings.ini"), "[Nastaveni]\nlevel=1\n");
}

TEST_F(InstallTest, APrefixWithoutWriteAccessFailsWithTheInstallersOwnMessage)
{
    const std::string locked = root_.File("locked");
    ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
    // Root may write anywhere, so there the installer runs as "nobody"; others meet a read-only folder.
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    }
    // The installer must still read the build folder as that user.
    chmod(root_.Path().c_str(), 0755);
    test::Command probe{{"/bin/sh", "-c", std::string("test -r '") + LORVEX_BUILD_DIR + "/cmake_install.cmake'"}};
    probe.unprivileged = true;
    if (RunIn(root_.Path(), probe).status != 0) GTEST_SKIP() << "the build folder cannot be read without root";
    test::Command install{{CMAKE_COMMAND_PATH, "--install", LORVEX_BUILD_DIR, "--prefix", locked + "/usr"}};
    install.unprivileged = true;
    ProgramRun run = RunIn(root_.Path(), install);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("cannot create directory: " + locked + "/usr"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Maybe need administrative privileges."), std::string::npos) << run.output;
    struct stat st {};
    EXPECT_NE(stat((locked + "/usr").c_str(), &st), 0) << "nothing was installed";
}

}  // namespace
