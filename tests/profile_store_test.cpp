#include "platform/profile_store.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/profile_store_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }

    void TearDown() override
    {
        ::chmod(dir_.c_str(), 0700);
        std::string command = "rm -rf '" + dir_ + "'";
        (void)std::system(command.c_str());
    }

    std::string SettingsPath() const { return dir_ + "/settings.ini"; }

    void WriteRaw(const std::string& content) const
    {
        std::ofstream out(SettingsPath(), std::ios::binary | std::ios::trunc);
        out << content;
    }

    std::string ReadRaw() const
    {
        std::ifstream in(SettingsPath(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(dir_.c_str())) {
            while (dirent* e = ::readdir(d)) {
                std::string name = e->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            ::closedir(d);
        }
        return names;
    }

    std::string dir_;
};

TEST_F(ProfileStoreTest, PathsFollowTheFolder)
{
    EXPECT_EQ(ProfileStore(dir_).FilePath(), SettingsPath());
    EXPECT_EQ(ProfileStore(dir_).Folder(), dir_);
    EXPECT_EQ(ProfileStore("").FilePath(), "");
    EXPECT_EQ(ProfileStore(dir_ + "/").FilePath(), SettingsPath());
}

TEST_F(ProfileStoreTest, MissingFileSectionOrEntryGiveTheDefault)
{
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("Nastaveni", "level", 1), 1);
    WriteRaw("[Other]\nlevel=9\n");
    EXPECT_EQ(store.GetInt("Nastaveni", "level", 3), 3);
    WriteRaw("level=9\n[Nastaveni]\nspeed=4\n");   // an entry before any section belongs to none
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
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"settings.ini"});   // no temporary left behind
}

TEST_F(ProfileStoreTest, NamesCompareCaseInsensitively)
{
    WriteRaw("[NASTAVENI]\nLEVEL = 7\n");
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("nastaveni", "Level", 1), 7);
    ASSERT_TRUE(store.WriteInt("Nastaveni", "level", 8));
    EXPECT_EQ(ReadRaw(), "[NASTAVENI]\nlevel=8\n");   // replaced in place, not added twice
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
    EXPECT_EQ(ReadRaw(), "[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\n");
}

TEST_F(ProfileStoreTest, OnlyWholeDecimal32BitNumbersAreRead)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"-7", -7},          {"  42\t", 42},     {"+3", 3},           {"0", 0},
        {"2147483647", 2147483647},              {"-2147483648", -2147483647 - 1},
        {"banana", -1},      {"12abc", -1},      {"", -1},            {"99999999999", -1},
        {"2147483648", -1},  {"-2147483649", -1}, {"0x10", -1},       {"1.5", -1},
        {"1 2", -1},         {"-", -1},           {"000000000000000000000000007", 7},
        {"99999999999999999999999999999999999999999", -1},
    };
    ProfileStore store(dir_);
    for (const Case& c : cases) {
        WriteRaw(std::string("[S]\nv=") + c.text + "\n");
        EXPECT_EQ(store.GetInt("S", "v", -1), c.expected) << "value \"" << c.text << "\"";
    }
}

TEST_F(ProfileStoreTest, OversizedFileIsIgnoredAndReplaced)
{
    ProfileStore store(dir_);
    std::string header = "[S]\nv=4\n";
    std::string limit = header + std::string(ProfileStore::kMaxFileSize - header.size() - 1, ';') + "\n";
    ASSERT_EQ(limit.size(), ProfileStore::kMaxFileSize);
    WriteRaw(limit);
    EXPECT_EQ(store.GetInt("S", "v", 0), 4);   // exactly at the limit still reads

    WriteRaw(limit + "\n");
    EXPECT_EQ(store.GetInt("S", "v", 0), 0);
    ASSERT_TRUE(store.WriteInt("Nastaveni", "level", 2));
    EXPECT_EQ(ReadRaw(), "[Nastaveni]\nlevel=2\n");
}

TEST_F(ProfileStoreTest, BinaryGarbageIsIgnoredAndReplaced)
{
    WriteRaw(std::string("[S]\nv=4\n\0\x01\xff garbage", 20));
    ProfileStore store(dir_);
    EXPECT_EQ(store.GetInt("S", "v", 0), 0);
    ASSERT_TRUE(store.WriteInt("S", "v", 6));
    EXPECT_EQ(ReadRaw(), "[S]\nv=6\n");
}

TEST_F(ProfileStoreTest, FifoInPlaceOfTheFileDoesNotBlock)
{
    ASSERT_EQ(::mkfifo(SettingsPath().c_str(), 0600), 0);
    ProfileStore store(dir_);
    ::alarm(10);   // a blocking open would wait forever for a writer: end the run instead of hanging
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

    void ExpectUntouchedAfterFailedWrite()
    {
        ProfileStore store(dir_);
        EXPECT_FALSE(store.WriteInt("Nastaveni", "level", 17));
        EXPECT_EQ(ReadRaw(), old_);
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"settings.ini"});
        EXPECT_EQ(store.GetInt("Nastaveni", "level", 0), 3);
    }
};

TEST_F(ProfileStoreFailureTest, ReadOnlyFolder)
{
    WriteRaw(old_);
    ASSERT_EQ(::chmod(dir_.c_str(), 0500), 0);
    if (::access(dir_.c_str(), W_OK) == 0)
        GTEST_SKIP() << "running as root: permissions do not stop writes (see FileSizeLimit)";
    ExpectUntouchedAfterFailedWrite();
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

// SDL takes the folder from XDG_DATA_HOME, else HOME; both are put back afterwards.
TEST_F(ProfileStoreTest, DefaultFolderComesFromTheDataHome)
{
    const char* names[] = {"XDG_DATA_HOME", "HOME"};
    std::vector<std::pair<bool, std::string>> saved;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        saved.emplace_back(value != nullptr, value ? value : "");
    }

    ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
    const std::string folder = ProfileStore::DefaultFolder("Tamberlo", "lorvex");
    struct stat st;
    const bool isFolder = ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    const std::string homeless = ProfileStore::DefaultFolder("Tamberlo", "lorvex");

    for (size_t i = 0; i < saved.size(); ++i) {
        if (saved[i].first) ::setenv(names[i], saved[i].second.c_str(), 1);
        else ::unsetenv(names[i]);
    }
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.rfind(dir_ + "/", 0), 0u) << folder;
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(isFolder);
    EXPECT_EQ(homeless, "");
    EXPECT_EQ(ProfileStore::DefaultFolder("Tamberlo", nullptr), "");
}

}  // namespace
