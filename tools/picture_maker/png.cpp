// A minimal PNG encoder over zlib: one IDAT chunk, each row filtered by the usual
// smallest-sum heuristic, maximum compression.

#include "png.h"

#include <cstdlib>

#include <zlib.h>

namespace pm {
namespace {

void PutBe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data)
{
    PutBe32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + start, uInt(out.size() - start));
    PutBe32(out, uint32_t(crc));
}

int Paeth(int a, int b, int c)
{
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Row y filtered with filter type `type` (0 none, 1 sub, 2 up, 3 average, 4 Paeth).
std::vector<uint8_t> FilterRow(const RgbaImage& img, int y, int type)
{
    const size_t stride = size_t(img.width) * 4;
    const uint8_t* row = img.rgba.data() + stride * y;
    const uint8_t* up = y > 0 ? row - stride : nullptr;
    std::vector<uint8_t> out(stride);
    for (size_t i = 0; i < stride; ++i) {
        int a = i >= 4 ? row[i - 4] : 0, b = up ? up[i] : 0, c = (up && i >= 4) ? up[i - 4] : 0;
        int pred = type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : type == 4 ? Paeth(a, b, c) : 0;
        out[i] = uint8_t(row[i] - pred);
    }
    return out;
}

long Cost(const std::vector<uint8_t>& filtered)
{
    long sum = 0;
    for (uint8_t v : filtered) sum += v < 128 ? v : 256 - v;
    return sum;
}

std::vector<uint8_t> FilteredRows(const RgbaImage& img)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < img.height; ++y) {
        std::vector<uint8_t> best = FilterRow(img, y, 0);
        int bestType = 0;
        for (int type = 1; type <= 4; ++type) {
            std::vector<uint8_t> f = FilterRow(img, y, type);
            if (Cost(f) < Cost(best)) {
                best = std::move(f);
                bestType = type;
            }
        }
        out.push_back(uint8_t(bestType));
        out.insert(out.end(), best.begin(), best.end());
    }
    return out;
}

}  // namespace

std::vector<uint8_t> EncodePng(const RgbaImage& img)
{
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBe32(header, uint32_t(img.width));
    PutBe32(header, uint32_t(img.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace
    PutChunk(out, "IHDR", header);

    const std::vector<uint8_t> raw = FilteredRows(img);
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), Z_BEST_COMPRESSION) != Z_OK) return {};
    packed.resize(packedSize);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

}  // namespace pm
