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
        // /dev/shm can exist and yet refuse files (containers, chroots): then the temporary folder.
        const char* tmp = std::getenv("TMPDIR");
        for (const std::string base : {"/dev/shm", tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp"}) {
            std::string pattern = base + "/lorvex-fuzz-XXXXXX";
            if (gFolder.empty() && mkdtemp(&pattern[0]) != nullptr) gFolder = pattern;
        }
        if (gFolder.empty()) std::abort();
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
