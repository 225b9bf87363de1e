#include "tests/support/bmp_file.h"

#include "tests/support/files.h"

namespace test {

std::string MakeBmp8(int width, int height, const std::vector<COLORREF>& palette,
                     const std::vector<std::uint8_t>& indices)
{
    std::string bytes = MakeBlankBmp(width, height, 8);
    PutLe(bytes, 46, 256, 4);
    for (size_t i = 0; i < palette.size() && i < 256; ++i) {
        bytes[54 + i * 4 + 0] = static_cast<char>(GetBValue(palette[i]));
        bytes[54 + i * 4 + 1] = static_cast<char>(GetGValue(palette[i]));
        bytes[54 + i * 4 + 2] = static_cast<char>(GetRValue(palette[i]));
    }
    const size_t rowBytes = (static_cast<size_t>(width) + 3) / 4 * 4;
    const size_t offset = 14 + 40 + 256 * 4;
    for (int y = 0; y < height; ++y) {
        const size_t row = offset + rowBytes * static_cast<size_t>(height - 1 - y);  // bottom-up
        for (int x = 0; x < width; ++x) bytes[row + x] = static_cast<char>(indices[static_cast<size_t>(y) * width + x]);
    }
    return bytes;
}

std::string MakeSolidBmp8(int width, int height, COLORREF color)
{
    return MakeBmp8(width, height, {color}, std::vector<std::uint8_t>(static_cast<size_t>(width) * height, 0));
}

std::string MakeBlankBmp(int width, int height, int bits)
{
    const size_t rowBytes = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    const size_t colors = bits <= 8 ? size_t{1} << bits : 0;
    const size_t offset = 14 + 40 + colors * 4;
    std::string bytes(offset + rowBytes * static_cast<size_t>(height), '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLe(bytes, 2, static_cast<std::uint32_t>(bytes.size()), 4);
    PutLe(bytes, 10, static_cast<std::uint32_t>(offset), 4);
    PutLe(bytes, 14, 40, 4);
    PutLe(bytes, 18, static_cast<std::uint32_t>(width), 4);
    PutLe(bytes, 22, static_cast<std::uint32_t>(height), 4);
    PutLe(bytes, 26, 1, 2);
    PutLe(bytes, 28, static_cast<std::uint32_t>(bits), 2);
    return bytes;
}

}  // namespace test
