// The settings file: read as the program reads it at start, then the level written as at exit.
// What a write produces must read back, with every other entry as it was.
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <string>

#include "platform/profile_store.h"
#include "tests/fuzz/scratch_file.h"

namespace {

constexpr int kAbsent = -123456789;

int FilesIn(const std::string& folder)
{
    int count = 0;
    if (DIR* d = opendir(folder.c_str())) {
        while (const dirent* e = readdir(d)) count += std::string(e->d_name) != "." && std::string(e->d_name) != "..";
        closedir(d);
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& folder = fuzz::ScratchFolder();
    ProfileStore store(folder);
    fuzz::WriteWholeFile(store.FilePath(), data, size);

    const int other = store.GetInt("Other", "x", kAbsent);
    const int level = store.GetInt("Nastaveni", "level", 1);
    const int written = level < 20 ? level + 1 : -level;
    if (store.WriteInt("Nastaveni", "level", written)) {
        if (store.GetInt("Nastaveni", "level", kAbsent) != written) std::abort();
        if (store.GetInt("Other", "x", kAbsent) != other) std::abort();
    }
    if (FilesIn(folder) != 1) std::abort();   // no temporary file left beside the settings
    return 0;
}
