#include "platform/icon_file.h"

#include <SDL.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr uint64_t kDirectoryHeaderSize = 6;
constexpr uint64_t kDirectoryEntrySize = 16;
constexpr uint64_t kInfoHeaderSize = 40;   // BITMAPINFOHEADER
constexpr int32_t kMaxDimension = 256;

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

struct Entry {
    int size;               // the directory's width (0 there means 256)
    uint32_t offset;
    uint32_t length;
};

bool IsPng(const uint8_t* image, uint32_t length)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return length >= sizeof kSignature && std::memcmp(image, kSignature, sizeof kSignature) == 0;
}

// The bit depth an entry's header announces, to prefer 32-bit over 8-bit at equal size; 0 if none.
int HeaderBitCount(const uint8_t* file, const Entry& e)
{
    if (IsPng(file + e.offset, e.length)) return 0;
    int bits = ReadU16(file + e.offset + 14);
    return (bits == 8 || bits == 32) ? bits : 0;
}

// Decodes one directory entry's DIB; null when it is malformed or of a kind not supported.
SDL_Surface* DecodeImage(const uint8_t* image, uint32_t length)
{
    if (IsPng(image, length)) return nullptr;
    if (length < kInfoHeaderSize) return nullptr;

    const uint32_t headerSize = ReadU32(image);
    const int32_t width = ReadI32(image + 4);
    const int32_t doubledHeight = ReadI32(image + 8);
    const uint16_t bitCount = ReadU16(image + 14);
    const uint32_t compression = ReadU32(image + 16);
    const uint32_t colorsUsed = ReadU32(image + 32);

    if (headerSize < kInfoHeaderSize || headerSize > length) return nullptr;
    // Icons store XOR and AND images stacked, bottom-up: the height is twice the picture's.
    if (width <= 0 || width > kMaxDimension) return nullptr;
    if (doubledHeight <= 0 || doubledHeight % 2 != 0 || doubledHeight / 2 > kMaxDimension) return nullptr;
    if (compression != 0) return nullptr;   // BI_RGB only
    if (bitCount != 8 && bitCount != 32) return nullptr;
    const int32_t height = doubledHeight / 2;

    uint64_t paletteCount = 0;
    if (bitCount == 8) {
        paletteCount = colorsUsed == 0 ? 256 : colorsUsed;
        if (paletteCount > 256) return nullptr;
    }
    const uint64_t xorStride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    const uint64_t andStride = (static_cast<uint64_t>(width) + 31) / 32 * 4;
    const uint64_t paletteStart = headerSize;
    const uint64_t xorStart = paletteStart + paletteCount * 4;
    const uint64_t andStart = xorStart + xorStride * static_cast<uint64_t>(height);
    const uint64_t end = andStart + andStride * static_cast<uint64_t>(height);
    if (end > length) return nullptr;

    const uint8_t* palette = image + paletteStart;
    const uint8_t* xorBits = image + xorStart;
    const uint8_t* andBits = image + andStart;

    // 32-bit icons written without alpha (every alpha byte 0) rely on the mask alone.
    bool hasAlpha = false;
    if (bitCount == 32) {
        for (int32_t y = 0; y < height && !hasAlpha; ++y) {
            const uint8_t* row = xorBits + static_cast<uint64_t>(y) * xorStride;
            for (int32_t x = 0; x < width; ++x)
                if (row[x * 4 + 3] != 0) {
                    hasAlpha = true;
                    break;
                }
        }
    }

    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) return nullptr;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
        SDL_FreeSurface(surface);
        return nullptr;
    }

    bool ok = true;
    for (int32_t y = 0; y < height && ok; ++y) {
        const int32_t sourceRow = height - 1 - y;   // rows are stored bottom-up
        const uint8_t* xorRow = xorBits + static_cast<uint64_t>(sourceRow) * xorStride;
        const uint8_t* andRow = andBits + static_cast<uint64_t>(sourceRow) * andStride;
        Uint32* out = reinterpret_cast<Uint32*>(static_cast<uint8_t*>(surface->pixels) +
                                                static_cast<size_t>(y) * static_cast<size_t>(surface->pitch));
        for (int32_t x = 0; x < width; ++x) {
            const bool transparent = (andRow[x / 8] >> (7 - x % 8)) & 1;
            uint32_t b, g, r, a;
            if (bitCount == 8) {
                const uint32_t index = xorRow[x];
                if (index >= paletteCount) {
                    ok = false;
                    break;
                }
                const uint8_t* colour = palette + index * 4;
                b = colour[0];
                g = colour[1];
                r = colour[2];
                a = 255;
            } else {
                const uint8_t* pixel = xorRow + x * 4;
                b = pixel[0];
                g = pixel[1];
                r = pixel[2];
                a = hasAlpha ? pixel[3] : 255;
            }
            if (transparent) a = 0;
            out[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }

    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (!ok) {
        SDL_FreeSurface(surface);
        return nullptr;
    }
    return surface;
}

}  // namespace

SDL_Surface* DecodeIconFile(const void* data, size_t size, int preferredSize)
{
    if (data == nullptr || size < kDirectoryHeaderSize) return nullptr;
    const uint8_t* file = static_cast<const uint8_t*>(data);

    if (ReadU16(file) != 0 || ReadU16(file + 2) != 1) return nullptr;   // reserved 0, type 1 = icon
    const uint16_t count = ReadU16(file + 4);
    if (count == 0) return nullptr;
    if (kDirectoryHeaderSize + kDirectoryEntrySize * count > size) return nullptr;

    // Every entry must lie inside the file, even the ones not chosen: a file that lies about one
    // image is not trusted for the others.
    int best = -1;
    Entry bestEntry{};
    int64_t bestDistance = 0;
    int bestBits = 0;
    for (int i = 0; i < count; ++i) {
        const uint8_t* d = file + kDirectoryHeaderSize + kDirectoryEntrySize * static_cast<uint64_t>(i);
        Entry e;
        e.size = d[0] == 0 ? 256 : d[0];
        e.length = ReadU32(d + 8);
        e.offset = ReadU32(d + 12);
        if (e.length < kInfoHeaderSize) return nullptr;
        if (static_cast<uint64_t>(e.offset) + e.length > size) return nullptr;
        if (e.offset < kDirectoryHeaderSize + kDirectoryEntrySize * count) return nullptr;

        const int64_t distance = e.size > preferredSize ? int64_t(e.size) - preferredSize
                                                        : int64_t(preferredSize) - e.size;
        const int bits = HeaderBitCount(file, e);
        const bool better = best < 0 || distance < bestDistance ||
                            (distance == bestDistance &&
                             (e.size > bestEntry.size || (e.size == bestEntry.size && bits > bestBits)));
        if (better) {
            best = i;
            bestEntry = e;
            bestDistance = distance;
            bestBits = bits;
        }
    }
    return DecodeImage(file + bestEntry.offset, bestEntry.length);
}
