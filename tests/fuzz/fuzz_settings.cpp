// The settings file: read as the program reads it at start, then the level written as at exit.
// What a write produces must read back, with every other entry as it was.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/profile_store.h"
#include "tests/support/files.h"

namespace {
constexpr int kAbsent = -123456789;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // In memory where the system offers it, so that syncing the file costs nothing.
    static const test::TempFolder scratch("/dev/shm");
    ProfileStore store(scratch.Path());
    if (!test::WriteFile(store.FilePath(), std::string(reinterpret_cast<const char*>(data), size))) std::abort();

    const int other = store.GetInt("Other", "x", kAbsent);
    const int level = store.GetInt("Nastaveni", "level", 1);
    const int written = level < 20 ? level + 1 : -level;
    if (store.WriteInt("Nastaveni", "level", written)) {
        if (store.GetInt("Nastaveni", "level", kAbsent) != written) std::abort();
        if (store.GetInt("Other", "x", kAbsent) != other) std::abort();
    }
    if (test::FolderEntries(scratch.Path()).size() != 1) std::abort();  // no temporary file left beside it
    return 0;
}
