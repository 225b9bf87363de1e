#include "tests/fuzz/scratch_file.h"

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <sys/stat.h>

namespace fuzz {

namespace {

std::string gFolder;

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return std::remove(path);
}

void RemoveFolder()
{
    nftw(gFolder.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

const std::string& ScratchFolder()
{
    if (gFolder.empty()) {
        struct stat st;
        std::string pattern = (stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp");
        pattern += "/lorvex-fuzz-XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr) std::abort();
        gFolder = pattern;
        std::atexit(RemoveFolder);
    }
    return gFolder;
}

void WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) std::abort();
}

}  // namespace fuzz
