#include "platform/bmp_check.h"

#include <cstdint>

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

std::uint32_t U16(const unsigned char* p)
{
    return p[0] | (p[1] << 8);
}
std::uint32_t U32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

bool BmpHeaderIsSound(const unsigned char* data, size_t size)
{
    if (data == nullptr || size < 26 || data[0] != 'B' || data[1] != 'M') return false;
    const std::uint64_t total = size;
    const std::uint64_t pixelOffset = U32(data + 10);
    const std::uint64_t headerSize = U32(data + 14);
    const bool core = headerSize == 12;
    if ((!core && headerSize < 40) || 14 + headerSize > total) return false;

    std::int64_t width = 0, height = 0;
    std::uint32_t bits = 0, compression = kBiRgb, colorsUsed = 0;
    if (core) {
        width = U16(data + 18);
        height = U16(data + 20);
        bits = U16(data + 24);
    } else {
        width = static_cast<std::int32_t>(U32(data + 18));
        height = static_cast<std::int32_t>(U32(data + 22));
        bits = U16(data + 28);
        compression = U32(data + 30);
        colorsUsed = U32(data + 46);
    }
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return false;
    if (width * height > kMaxPicturePixels) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (compression != kBiRgb && !(compression == kBiBitfields && (bits == 16 || bits == 32))) return false;

    std::uint64_t paletteEnd = 14 + headerSize;
    if (!core && compression == kBiBitfields && headerSize == 40) paletteEnd += 12;  // the three masks
    if (bits <= 8) {
        const std::uint64_t maxColors = 1u << bits;
        const std::uint64_t colors = colorsUsed != 0 ? colorsUsed : maxColors;
        if (colors > maxColors) return false;
        paletteEnd += colors * (core ? 3 : 4);
    }
    if (paletteEnd > total || pixelOffset < 14 + headerSize || pixelOffset > total) return false;

    const std::uint64_t rowBytes = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    return pixelOffset + rowBytes * static_cast<std::uint64_t>(height) <= total;
}
