// BMP and ICO encoders with every header field fixed, so that equal
// pictures always give equal bytes.

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "indexed.h"

namespace pm {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

uint32_t RowBytes(int width, int bits)
{
    return ((uint32_t(width) * bits + 31) / 32) * 4;
}

void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageBytes)
{
    const uint32_t colours = bits <= 8 ? 256 : 0;
    Put32(out, 40);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height));  // positive: rows bottom-up
    Put16(out, 1);
    Put16(out, uint16_t(bits));
    Put32(out, 0);  // BI_RGB, uncompressed
    Put32(out, imageBytes);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, colours);
    Put32(out, 0);
}

// The file header of a BMP whose pixels start at `offset`, with room reserved for the rest.
std::vector<uint8_t> StartBmpFile(uint32_t offset, uint32_t pixelBytes)
{
    std::vector<uint8_t> out;
    out.reserve(offset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + pixelBytes);
    Put32(out, 0);
    Put32(out, offset);
    return out;
}

void PutPalette(std::vector<uint8_t>& out, const Palette& pal)
{
    for (const Rgb8& e : pal.entry) {
        out.push_back(e.b);
        out.push_back(e.g);
        out.push_back(e.r);
        out.push_back(0);
    }
}

void PutIndexRows(std::vector<uint8_t>& out, const IndexedImage& img)
{
    uint32_t stride = RowBytes(img.width, 8);
    for (int y = img.height - 1; y >= 0; --y) {
        for (int x = 0; x < img.width; ++x) out.push_back(img.At(x, y));
        for (uint32_t p = img.width; p < stride; ++p) out.push_back(0);
    }
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const IndexedImage& img, const Palette& pal)
{
    const uint32_t pixelBytes = RowBytes(img.width, 8) * img.height;
    const uint32_t offset = 14 + 40 + 256 * 4;
    std::vector<uint8_t> out = StartBmpFile(offset, pixelBytes);
    PutInfoHeader(out, img.width, img.height, 8, pixelBytes);
    PutPalette(out, pal);
    PutIndexRows(out, img);
    return out;
}

std::vector<uint8_t> EncodeBmp(const RgbaImage& image)
{
    const uint32_t pixelBytes = uint32_t(image.width) * image.height * 4;
    const uint32_t offset = 14 + 40;
    std::vector<uint8_t> out = StartBmpFile(offset, pixelBytes);
    PutInfoHeader(out, image.width, image.height, 32, pixelBytes);
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* px = &image.rgba[(size_t(y) * image.width + x) * 4];
            out.insert(out.end(), {px[2], px[1], px[0], px[3]});
        }
    return out;
}

std::vector<uint8_t> EncodeIco(const std::vector<const Canvas*>& canvases)
{
    Palette pal = BuildPalette(canvases);
    std::vector<std::vector<uint8_t>> images;
    for (const Canvas* c : canvases) {
        IndexedImage img = MapToPalette(*c, pal);
        const uint32_t xorBytes = RowBytes(img.width, 8) * img.height;
        const uint32_t andStride = RowBytes(img.width, 1);
        std::vector<uint8_t> out;
        PutInfoHeader(out, img.width, img.height * 2, 8, xorBytes + andStride * img.height);
        PutPalette(out, pal);
        // Transparent pixels: index 0 (black) in the colour rows, 1 in the mask.
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                if (c->IsKey(x, y)) img.index[size_t(y) * img.width + x] = 0;
        PutIndexRows(out, img);
        for (int y = img.height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(andStride, 0);
            for (int x = 0; x < img.width; ++x)
                if (c->IsKey(x, y)) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            out.insert(out.end(), row.begin(), row.end());
        }
        images.push_back(std::move(out));
    }
    std::vector<uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);  // icon
    Put16(file, uint16_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        int size = canvases[i]->Width();
        file.push_back(uint8_t(size >= 256 ? 0 : size));
        file.push_back(uint8_t(size >= 256 ? 0 : size));
        file.push_back(0);  // 256 colours
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 8);
        Put32(file, uint32_t(images[i].size()));
        Put32(file, offset);
        offset += uint32_t(images[i].size());
    }
    for (const auto& img : images) file.insert(file.end(), img.begin(), img.end());
    return file;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) *error = "cannot write " + path;
    return ok;
}

}  // namespace pm
