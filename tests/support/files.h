#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace test {

// A fresh, empty folder, removed with everything in it at destruction (read-only folders
// within included). Made under `preferred` where that can be done, else under $TMPDIR or
// /tmp; throws when it cannot be made at all.
class TempFolder {
public:
    explicit TempFolder(const std::string& preferred = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
// True when every byte reached the file.
bool WriteFile(const std::string& path, const std::string& bytes);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);

// Fields of a file's bytes: little-endian as in Windows files, big-endian as in PNG files.
template <typename Bytes>
std::uint32_t GetLe(const Bytes& bytes, std::size_t at, int width)
{
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}
template <typename Bytes>
std::uint32_t GetBe32(const Bytes& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}
inline void PutLe(std::string& bytes, std::size_t at, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace test
