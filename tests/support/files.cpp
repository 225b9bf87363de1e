#include "tests/support/files.h"

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace test {

namespace {

std::string MadeUnder(const std::string& base)
{
    std::string pattern = base + "/lorvex-test-XXXXXX";
    return mkdtemp(&pattern[0]) != nullptr ? pattern : "";
}

// Removal needs write access to every folder; a test may have taken it away.
int OpenUp(const char* path, const struct stat*, int type, struct FTW*)
{
    if (type == FTW_D || type == FTW_DNR) chmod(path, 0700);
    return 0;
}

int Remove(const char* path, const struct stat*, int, struct FTW*)
{
    return std::remove(path);
}

}  // namespace

TempFolder::TempFolder(const std::string& preferred)
{
    if (!preferred.empty()) path_ = MadeUnder(preferred);
    const char* tmp = std::getenv("TMPDIR");
    if (path_.empty()) path_ = MadeUnder(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp");
    if (path_.empty()) throw std::runtime_error("no temporary folder could be made");
}

TempFolder::~TempFolder()
{
    nftw(path_.c_str(), OpenUp, 16, FTW_PHYS);
    nftw(path_.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    return !out.fail();
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace test
