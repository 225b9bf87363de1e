#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// A folder of this process's own for the files an input is written to, in memory where the
// system offers it (so that syncing a file costs nothing); removed at exit.
const std::string& ScratchFolder();

// Writes the bytes as the file's whole content; aborts when it cannot, since every later
// verdict would be about a stale file.
void WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
