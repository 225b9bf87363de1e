#include "platform/profile_store.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <sys/file.h>

#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/unprivileged.h"

namespace {

class ProfileStoreTest : public ::testing::Test {
protected:
    std::string SettingsPath() const { return dir_ + "/settings.ini"; }
    void WriteRaw(const std::string& content) const { test::WriteFile(SettingsPath(), content); }
    std::string ReadRaw() const { return test::ReadFile(SettingsPath()); }
    std::vector<std::string> FolderEntries() const { return test::FolderEntries(dir_); }

    test::TempFolder folder_;
    const std::string dir_ = folder_.Path();
};

TEST_F(ProfileStoreTest, PathsFollowTheFolder)
{
    EXPECT_EQ(ProfileStore(dir_).FilePath(), SettingsPath());
    EXPECT_EQ(ProfileStore("").FilePath(), "");
    EXPECT_EQ(ProfileStore(dir_ + "/").FilePath(), SettingsPath());
}

TEST_F(ProfileStoreTest, MissingFileSectionOrEntryGiveTheDefault)
{
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("Nastaveni", "level", 1), 1);
    WriteRaw("[Other]\nlevel=9\n");
    EXPECT_EQ(store.GetInt("Nastaveni", "level", 3), 3);
    WriteRaw("level=9\n[Nastaveni]\nspeed=4\n");  // an entry before any section belongs to none
    EXPECT_EQ(store.GetInt("Nastaveni", "level", 3), 3);
    EXPECT_EQ(ProfileStore("").GetInt("Nastaveni", "level", 8), 8);
}

TEST_F(ProfileStoreTest, WriteCreatesTheFileAndReadsBack)
{
    ProfileStore store(dir_);
    ASSERT_TRUE(store.WriteInt("Nastaveni", "level", 5));
    EXPECT_EQ(ReadRaw(), "[Nastaveni]\nlevel=5\n");
    EXPECT_EQ(store.GetInt("Nastaveni", "level", 1), 5);

    ASSERT_TRUE(store.WriteInt("Nastaveni", "level", -12));
    EXPECT_EQ(ReadRaw(), "[Nastaveni]\nlevel=-12\n");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"settings.ini"});  // no temporary left behind
}

TEST_F(ProfileStoreTest, NamesCompareCaseInsensitively)
{
    WriteRaw("[NASTAVENI]\nLEVEL = 7\n");
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("nastaveni", "Level", 1), 7);
    ASSERT_TRUE(store.WriteInt("Nastaveni", "level", 8));
    EXPECT_EQ(ReadRaw(), "[NASTAVENI]\nlevel=8\n");  // replaced in place, not added twice
}

TEST_F(ProfileStoreTest, FirstOfRepeatedSectionsCounts)
{
    WriteRaw("[S]\nv=1\n[T]\nv=2\n[s]\nv=3\nw=4\n");
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("S", "v", 0), 1);
    EXPECT_EQ(store.GetInt("S", "w", 0), 0);
    ASSERT_TRUE(store.WriteInt("S", "w", 5));
    EXPECT_EQ(ReadRaw(), "[S]\nv=1\nw=5\n[T]\nv=2\n[s]\nv=3\nw=4\n");
}

TEST_F(ProfileStoreTest, WriteKeepsEveryOtherLine)
{
    const std::string before =
        "; written by hand\n"
        "[Video]\n"
        "width=640\n"
        "\n"
        "[Nastaveni]\n"
        "name = Worm\n"
        "level=3\n"
        "sound=1\n"
        "\n"
        "[Extra]\n"
        "level=99\n";
    WriteRaw(before);
    ProfileStore store(dir_);
    ASSERT_TRUE(store.WriteInt("Nastaveni", "level", 20));
    std::string expected = before;
    expected.replace(expected.find("level=3"), 7, "level=20");
    EXPECT_EQ(ReadRaw(), expected);
    EXPECT_EQ(store.GetInt("Extra", "level", 0), 99);

    // A new entry goes to the end of its own section, a new section to the end of the file.
    ASSERT_TRUE(store.WriteInt("Video", "height", 480));
    ASSERT_TRUE(store.WriteInt("New", "x", 1));
    EXPECT_EQ(ReadRaw(),
              "; written by hand\n[Video]\nwidth=640\nheight=480\n\n[Nastaveni]\nname = Worm\nlevel=20\n"
              "sound=1\n\n[Extra]\nlevel=99\n[New]\nx=1\n");
}

TEST_F(ProfileStoreTest, WriteKeepsWindowsLineEndsAndAMissingFinalNewline)
{
    WriteRaw("[A]\r\nx=1\r\n[B]\r\ny=2");
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("A", "x", 0), 1);
    EXPECT_EQ(store.GetInt("B", "y", 0), 2);
    ASSERT_TRUE(store.WriteInt("A", "z", 3));
    EXPECT_EQ(ReadRaw(), "[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n");
}

TEST_F(ProfileStoreTest, OnlyWholeDecimal32BitNumbersAreRead)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"-7", -7},
        {"  42\t", 42},
        {"+3", 3},
        {"0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"banana", -1},
        {"12abc", -1},
        {"", -1},
        {"99999999999", -1},
        {"2147483648", -1},
        {"-2147483649", -1},
        {"0x10", -1},
        {"1.5", -1},
        {"1 2", -1},
        {"-", -1},
        {"000000000000000000000000007", 7},
        {"99999999999999999999999999999999999999999", -1},
    };
    ProfileStore store(dir_);
    for (const Case& c : cases) {
        WriteRaw(std::string("[S]\nv=") + c.text + "\n");
        EXPECT_EQ(store.GetInt("S", "v", -1), c.expected) << "value \"" << c.text << "\"";
    }
}

// A file the game cannot read is the player's: ignored, and left as it is with one line.
TEST_F(ProfileStoreTest, OversizedFileIsIgnoredAndKept)
{
    ProfileStore store(dir_);
    std::string header = "[S]\nv=4\n";
    std::string limit = header + std::string(ProfileStore::kMaxFileSize - header.size() - 1, ';') + "\n";
    ASSERT_EQ(limit.size(), ProfileStore::kMaxFileSize);
    WriteRaw(limit);
    EXPECT_EQ(store.GetInt("S", "v", 0), 4);  // exactly at the limit still reads

    WriteRaw(limit + "\n");
    EXPECT_EQ(store.GetInt("S", "v", 0), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.WriteInt("Nastaveni", "level", 2));
    EXPECT_FALSE(store.WriteInt("Nastaveni", "level", 3));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),  // once, not for each failed write
              "lorvex_tests: level is not saved: " + SettingsPath() +
                  " is larger than 64 KiB or not text, and is left as it is\n");
    EXPECT_TRUE(ReadRaw() == limit + "\n");
}

TEST_F(ProfileStoreTest, BinaryGarbageIsIgnoredAndKept)
{
    const std::string utf16("\xff\xfe[\0S\0]\0\n\0v\0=\0004\0\n\0", 18);  // as an editor may save it
    WriteRaw(utf16);
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("S", "v", 0), 0);
    EXPECT_FALSE(store.WriteInt("S", "v", 6));
    EXPECT_TRUE(ReadRaw() == utf16);
}

// As people write it by hand: a comment after the value, and CR alone ending lines.
TEST_F(ProfileStoreTest, HandWrittenValuesWithCommentsOrOldLineEndsRead)
{
    ProfileStore store(dir_);
    WriteRaw("[Nastaveni]\nlevel=12 ; hard enough\n");
    ASSERT_TRUE(store.GetInt("Nastaveni", "level", 1) == 12 && store.WriteInt("Nastaveni", "level", 13));
    EXPECT_EQ(ReadRaw(), "[Nastaveni]\nlevel=13 ; hard enough\n");
    WriteRaw("[Other]\rlevel=2\r[Nastaveni]\rlevel=12\r");
    ASSERT_TRUE(store.GetInt("Nastaveni", "level", 1) == 12 && store.WriteInt("Other", "x", 5));
    EXPECT_EQ(ReadRaw(), "[Other]\rlevel=2\rx=5\r[Nastaveni]\rlevel=12\r");
}

TEST_F(ProfileStoreTest, FifoInPlaceOfTheFileDoesNotBlock)
{
    ASSERT_EQ(::mkfifo(SettingsPath().c_str(), 0600), 0);
    ProfileStore store(dir_);
    ::alarm(10);  // a blocking open would wait forever for a writer: end the run instead of hanging
    EXPECT_EQ(store.GetInt("S", "v", 5), 5);
    const bool written = store.WriteInt("S", "v", 6);
    ::alarm(0);
    ASSERT_TRUE(written);
    EXPECT_EQ(ReadRaw(), "[S]\nv=6\n");
}

TEST_F(ProfileStoreTest, NamesThatCannotRoundTripAreRefused)
{
    ProfileStore store(dir_);
    EXPECT_FALSE(store.WriteInt("a]b", "v", 1));
    EXPECT_FALSE(store.WriteInt("S", "a=b", 1));
    EXPECT_FALSE(store.WriteInt("S", "line\nbreak", 1));
    EXPECT_FALSE(store.WriteInt("", "v", 1));
    EXPECT_FALSE(store.WriteInt(nullptr, "v", 1));
    EXPECT_FALSE(store.WriteInt("S", nullptr, 1));
    EXPECT_EQ(store.GetInt(nullptr, nullptr, 4), 4);
    EXPECT_TRUE(FolderEntries().empty());
}

// Failed writes: false, the old file byte for byte as it was, and no temporary file left behind.
class ProfileStoreFailureTest : public ProfileStoreTest {
protected:
    const std::string old_ = "[Nastaveni]\r\nlevel=3\r\n; keep me\r\n";
};

TEST_F(ProfileStoreFailureTest, ReadOnlyFolder)
{
    WriteRaw(old_);
    ASSERT_TRUE(test::GiveToUnprivileged(dir_));
    ASSERT_EQ(::chmod(dir_.c_str(), 0500), 0);
    const std::string dir = dir_;
    const int result = test::RunUnprivileged([&dir] {
        ProfileStore store(dir);
        return (store.WriteInt("Nastaveni", "level", 17) ? 1 : 0) + 10 * store.GetInt("Nastaveni", "level", 0);
    });
    EXPECT_EQ(result, 30);  // not written, and the old level still reads
    EXPECT_EQ(ReadRaw(), old_);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"settings.ini"});
}

TEST_F(ProfileStoreFailureTest, WriteErrorPartWayThrough)
{
    // A file size limit makes write() fail even for root, after the temporary file exists.
    WriteRaw(old_);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    ProfileStore store(dir_);
    const bool written = store.WriteInt("Nastaveni", "level", 17);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadRaw(), old_);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"settings.ini"});
}

TEST_F(ProfileStoreFailureTest, SettingsFileIsADirectory)
{
    ASSERT_EQ(::mkdir(SettingsPath().c_str(), 0700), 0);
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("Nastaveni", "level", 1), 1);
    EXPECT_FALSE(store.WriteInt("Nastaveni", "level", 5));
    struct stat st;
    ASSERT_EQ(::stat(SettingsPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"settings.ini"});
}

TEST_F(ProfileStoreFailureTest, NoUsableFolder)
{
    EXPECT_FALSE(ProfileStore(dir_ + "/does/not/exist").WriteInt("Nastaveni", "level", 5));
    EXPECT_FALSE(ProfileStore("").WriteInt("Nastaveni", "level", 5));
    EXPECT_TRUE(FolderEntries().empty());
}

// SDL takes the folder from XDG_DATA_HOME, else HOME; without either there is none.
TEST_F(ProfileStoreTest, DefaultFolderComesFromTheDataHome)
{
    test::ScopedEnv dataHome("XDG_DATA_HOME", dir_.c_str());
    const std::string folder = ProfileStore::DefaultFolder("Tamberlo", "lorvex");
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.rfind(dir_ + "/", 0), 0u) << folder;
    EXPECT_NE(folder.back(), '/');
    struct stat st;
    EXPECT_TRUE(::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    EXPECT_EQ(ProfileStore::DefaultFolder("Tamberlo", nullptr), "");

    test::ScopedEnv noDataHome("XDG_DATA_HOME", nullptr);
    test::ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(ProfileStore::DefaultFolder("Tamberlo", "lorvex"), "");
}

// ---- Ways a player lost the level before, each found by trying it as a new user would.

TEST_F(ProfileStoreTest, AWrittenFileIsAlwaysReadableAndWritableByItsOwner)
{
    WriteRaw("[Nastaveni]\nlevel=7\n");
    ASSERT_EQ(::chmod(SettingsPath().c_str(), 0400), 0);
    ASSERT_TRUE(ProfileStore(dir_).WriteInt("Nastaveni", "level", 9));
    struct stat st;
    ASSERT_EQ(::stat(SettingsPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    // Other bits the user gave the file are kept.
    ASSERT_EQ(::chmod(SettingsPath().c_str(), 0444), 0);
    ASSERT_TRUE(ProfileStore(dir_).WriteInt("Nastaveni", "level", 10));
    ASSERT_EQ(::stat(SettingsPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

// A file its own user may not read (mode 000 or 0200) is the player's: it is left as it is, the
// level kept for the session, and one line says why. It was once replaced with the level alone.
TEST_F(ProfileStoreTest, AFileItsUserMayNotReadIsLeftAsItIs)
{
    WriteRaw("[Nastaveni]\nlevel=7\n");
    ASSERT_TRUE(test::GiveToUnprivileged(dir_));
    const std::string dir = dir_;
    for (const mode_t mode : {0000, 0200}) {
        ASSERT_EQ(::chmod(SettingsPath().c_str(), mode), 0);
        EXPECT_EQ(test::RunUnprivileged([&dir] {
                      ProfileStore store(dir);
                      return store.GetInt("Nastaveni", "level", 1) +
                             (store.WriteInt("Nastaveni", "level", 5) ? 100 : 0);
                  }),
                  1);
        ASSERT_EQ(::chmod(SettingsPath().c_str(), 0600), 0);
        EXPECT_EQ(ReadRaw(), "[Nastaveni]\nlevel=7\n");
    }
}

// Reading needs no write access: a read-only folder, or an immutable one, still gives level 7.
TEST_F(ProfileStoreTest, AReadOnlyFolderStillGivesTheStoredLevel)
{
    test::ScopedEnv dataHome("XDG_DATA_HOME", dir_.c_str());
    const std::string folder = ProfileStore::DefaultFolder("Tamberlo", "lorvex");
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(test::WriteFile(folder + "/settings.ini", "[Nastaveni]\nlevel=7\n"));
    ASSERT_TRUE(test::GiveToUnprivileged(dir_));
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    EXPECT_EQ(test::RunUnprivileged([] {
                  ProfileStore store(ProfileStore::DefaultFolder("Tamberlo", "lorvex"));
                  return store.WriteInt("Nastaveni", "level", 9) ? 100 : store.GetInt("Nastaveni", "level", 1);
              }),
              7);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    ASSERT_EQ(::chown(folder.c_str(), ::geteuid(), ::getegid()), 0);  // the folder is this user's again

    if (!test::SetImmutable(folder, true))
        GTEST_SKIP() << (errno == EPERM ? std::string("only root can set the immutable flag")
                                        : "no immutable flag here: " + std::string(std::strerror(errno)));
    ProfileStore store(ProfileStore::DefaultFolder("Tamberlo", "lorvex"));
    const bool written = store.WriteInt("Nastaveni", "level", 9);
    const int level = store.GetInt("Nastaveni", "level", 1);
    ASSERT_TRUE(test::SetImmutable(folder, false));
    EXPECT_FALSE(written);
    EXPECT_EQ(level, 7);
}

TEST_F(ProfileStoreTest, AWriteNeverProducesAFileTheReadWouldReject)
{
    ProfileStore store(dir_);
    // Names that the read's text check would refuse are not written.
    EXPECT_FALSE(store.WriteInt("S",
                                "a\x01"
                                "b",
                                1));
    EXPECT_FALSE(store.WriteInt("S\x1b", "v", 1));
    EXPECT_TRUE(store.WriteInt("S", "a\tb", 1));
    EXPECT_EQ(store.GetInt("S", "a\tb", 0), 1);

    // Nor is a file past the size limit.
    const std::string header = "[Nastaveni]\nlevel=3\n";
    const std::string nearLimit = header + std::string(ProfileStore::kMaxFileSize - header.size() - 5, ';') + "\n[S]\n";
    WriteRaw(nearLimit);
    EXPECT_TRUE(store.WriteInt("Nastaveni", "level", 4));  // same length: fits
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.WriteInt("Nastaveni", "level", 20));  // one byte more: refused, with a word
    EXPECT_NE(testing::internal::GetCapturedStderr().find(SettingsPath() + " would grow past"), std::string::npos);
    EXPECT_FALSE(store.WriteInt("S", "v", 1));
    EXPECT_EQ(ReadRaw().size(), ProfileStore::kMaxFileSize);
    EXPECT_EQ(store.GetInt("Nastaveni", "level", 0), 4);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"settings.ini"});
}

TEST_F(ProfileStoreTest, ASymbolicLinkIsWrittenThroughToItsTarget)
{
    const auto isLink = [](const std::string& path) {
        struct stat st;
        return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    };
    ASSERT_EQ(::mkdir((dir_ + "/dotfiles").c_str(), 0700), 0);
    const std::string target = dir_ + "/dotfiles/lorvex.ini";
    ASSERT_TRUE(test::WriteFile(target, "[Nastaveni]\nlevel=3\n"));
    ASSERT_EQ(::symlink("dotfiles/lorvex.ini", SettingsPath().c_str()), 0);  // relative to the link
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("Nastaveni", "level", 1), 3);
    ASSERT_TRUE(store.WriteInt("Nastaveni", "level", 8));
    EXPECT_TRUE(isLink(SettingsPath()));
    EXPECT_EQ(test::ReadFile(target), "[Nastaveni]\nlevel=8\n");
    EXPECT_EQ(test::FolderEntries(dir_ + "/dotfiles"), std::vector<std::string>{"lorvex.ini"});

    // A chain of links, the last one absolute and dangling: the file is made where it ends.
    ASSERT_EQ(::unlink(target.c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), (dir_ + "/dotfiles/current").c_str()), 0);
    ASSERT_EQ(::unlink(SettingsPath().c_str()), 0);
    ASSERT_EQ(::symlink("dotfiles/current", SettingsPath().c_str()), 0);
    ASSERT_TRUE(store.WriteInt("Nastaveni", "level", 2));
    EXPECT_EQ(test::ReadFile(target), "[Nastaveni]\nlevel=2\n");
    EXPECT_TRUE(isLink(dir_ + "/dotfiles/current"));

    // A loop is left as it is.
    ASSERT_EQ(::unlink(SettingsPath().c_str()), 0);
    ASSERT_EQ(::symlink("settings.ini", SettingsPath().c_str()), 0);
    EXPECT_FALSE(store.WriteInt("Nastaveni", "level", 2));
    EXPECT_TRUE(isLink(SettingsPath()));
}

// Links as the kernel's protected-link rule follows them: a link that another user planted or
// could swap, or one to what is not the user's own regular file, is left as it is with its target.
TEST_F(ProfileStoreTest, PlantedLinksAreNotWrittenThrough)
{
    ASSERT_EQ(::mkdir((dir_ + "/private").c_str(), 0700), 0);
    ASSERT_TRUE(test::WriteFile(dir_ + "/private/secret", "secret\n"));
    ASSERT_EQ(::mkfifo((dir_ + "/private/device").c_str(), 0600), 0);  // stands for /dev/null
    struct Planted {
        const char* target;
        bool othersLink;
        mode_t folderMode;
    };
    for (const Planted& c : {Planted{"private/device", false, 0700}, Planted{"private/secret", false, 0777},
                             Planted{"private/secret", true, 0700}, Planted{"private/new", true, 0700}}) {
        if (c.othersLink && ::geteuid() != 0) continue;  // only root can give a link to another user
        SCOPED_TRACE(std::string(c.target) + (c.othersLink ? " by another user" : ""));
        (void)::unlink(SettingsPath().c_str());
        ASSERT_EQ(::symlink(c.target, SettingsPath().c_str()), 0);
        ASSERT_TRUE(!c.othersLink || test::GiveToUnprivileged(SettingsPath()));
        ASSERT_EQ(::chmod(dir_.c_str(), c.folderMode), 0);
        EXPECT_FALSE(ProfileStore(dir_).WriteInt("Nastaveni", "level", 9));
        struct stat link, device;
        EXPECT_TRUE(::lstat(SettingsPath().c_str(), &link) == 0 && S_ISLNK(link.st_mode));
        EXPECT_TRUE(::stat((dir_ + "/private/device").c_str(), &device) == 0 && S_ISFIFO(device.st_mode));
        EXPECT_EQ(test::ReadFile(dir_ + "/private/secret"), "secret\n");
        EXPECT_EQ(test::FolderEntries(dir_ + "/private"), (std::vector<std::string>{"device", "secret"}));
    }
}

// Run as root with a user's HOME (sudo -E): nothing written, removed or made where the user's
// link on the way leads (the settings folder's, the company's), nor in root's folders in that HOME.
TEST_F(ProfileStoreTest, RootWritesNothingWhereAUsersLinkOnTheWayLeads)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can run with a HOME that another user owns";
    const std::string home = dir_ + "/home", victim = dir_ + "/victim";  // the victim: root's, as /etc
    test::ScopedEnv homeVariable("HOME", home.c_str()), noDataHome("XDG_DATA_HOME", nullptr);
    for (const std::string link : {"/Tamberlo/lorvex", "/Tamberlo", ""}) {
        const std::string share = home + "/.local/share";
        std::string make = "set -e; rm -rf '" + dir_ + "'/*; mkdir -p '" + victim + "' '" + share +
                           "/Tamberlo' && touch '" + victim + "/settings.ini' '" + victim + "/.settings.ini.Ab12Cd'";
        if (!link.empty())
            make += "; rmdir '" + share + link + "' 2>/dev/null || true; ln -s '" + victim + "' '" + share + link + "'";
        make += "; chown -hR nobody '" + home + "'";
        // No link: root's own folders, made in that HOME by an older version.
        if (link.empty())
            make += "; chown -R 0:0 '" + home + "/.local'; mv '" + victim + "' '" + share + "/Tamberlo/lorvex'";
        ASSERT_EQ(std::system(make.c_str()), 0) << link;
        EXPECT_FALSE(ProfileStore(ProfileStore::DefaultFolder("Tamberlo", "lorvex")).WriteInt("Nastaveni", "level", 9));
        const std::string held = link.empty() ? share + "/Tamberlo/lorvex" : victim;
        EXPECT_EQ(test::FolderEntries(held), (std::vector<std::string>{".settings.ini.Ab12Cd", "settings.ini"}))
            << link;
        EXPECT_EQ(test::ReadFile(held + "/settings.ini"), "") << link;
    }
}

TEST_F(ProfileStoreTest, TemporariesOfKilledWritersAreRemovedAtTheNextWrite)
{
    // What a writer killed after creating its temporary file leaves, beside look-alikes.
    for (const char* name :
         {".settings.ini.Ab12Cd", ".settings.ini.zzzzzz", ".settings.ini.bak", ".settings.ini.Ab12Cd7", "notes.txt"})
        ASSERT_TRUE(test::WriteFile(dir_ + "/" + name, ""));
    // A write in progress in another process holds its temporary file locked.
    const std::string live = dir_ + "/.settings.ini.L1ve00";
    ASSERT_TRUE(test::WriteFile(live, ""));
    const int liveFd = ::open(live.c_str(), O_RDONLY);
    ASSERT_GE(liveFd, 0);
    ASSERT_EQ(::flock(liveFd, LOCK_EX), 0);

    ASSERT_TRUE(ProfileStore(dir_).WriteInt("Nastaveni", "level", 4));
    ::close(liveFd);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{".settings.ini.Ab12Cd7", ".settings.ini.L1ve00",
                                                         ".settings.ini.bak", "notes.txt", "settings.ini"}));
}

// The XDG rules: an empty or relative XDG_DATA_HOME counts as unset, so the folder goes under
// HOME, not to the file system's root or the working folder.
TEST_F(ProfileStoreTest, AnEmptyOrRelativeDataHomeCountsAsUnset)
{
    const std::string company = "lorvex-test-" + std::to_string(::getpid());
    const std::string atRoot = "/" + company;
    test::ScopedEnv home("HOME", dir_.c_str());
    const std::string expected = dir_ + "/.local/share/" + company + "/game";
    char workingFolder[PATH_MAX];
    ASSERT_NE(::getcwd(workingFolder, sizeof workingFolder), nullptr);
    ASSERT_EQ(::mkdir((dir_ + "/work").c_str(), 0700), 0);
    ASSERT_EQ(::chdir((dir_ + "/work").c_str()), 0);
    std::vector<std::string> folders;
    for (const char* dataHome : {"", "relative/data"}) {
        test::ScopedEnv data("XDG_DATA_HOME", dataHome);
        folders.push_back(ProfileStore::DefaultFolder(company.c_str(), "game"));
        EXPECT_STREQ(std::getenv("XDG_DATA_HOME"), dataHome);  // the player's setting is left alone
    }
    ASSERT_EQ(::chdir(workingFolder), 0);
    struct stat st;
    const bool madeAtRoot = ::stat(atRoot.c_str(), &st) == 0;
    if (madeAtRoot) (void)std::system(("rm -rf '" + atRoot + "'").c_str());
    EXPECT_FALSE(madeAtRoot);
    EXPECT_EQ(folders, (std::vector<std::string>{expected, expected}));
    EXPECT_TRUE(test::FolderEntries(dir_ + "/work").empty());
}

}  // namespace
