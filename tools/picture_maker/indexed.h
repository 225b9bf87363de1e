#pragma once

// Palettised pictures and the files they are written to.

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"
#include "png.h"

namespace pm {

struct IndexedImage {
    int width = 0, height = 0;
    std::vector<uint8_t> index;  // top-down rows
    uint8_t At(int x, int y) const { return index[static_cast<size_t>(y) * width + x]; }
};

struct Palette {
    Rgb8 entry[256];
};

// A colour that some 16-bit display would turn into the magenta key
// without being magenta itself.
inline bool IsNearMagenta(const Rgb8& c)
{
    if (c == kMagenta) return false;
    bool rb = (c.r >> 3) == 31 && (c.b >> 3) == 31;
    return rb && ((c.g >> 2) == 0 || (c.g >> 3) == 0);
}

// Builds one palette for a set of canvases (magenta, deep pink, black and
// white always present, greyRamp evenly spaced greys if asked for, the rest
// chosen by a deterministic quantiser) and maps every canvas onto it.
Palette BuildPalette(const std::vector<const Canvas*>& canvases, int greyRamp = 0);
IndexedImage MapToPalette(const Canvas& canvas, const Palette& palette);

// The bytes of an uncompressed 8-bit bottom-up BMP file.
std::vector<uint8_t> EncodeBmp(const IndexedImage& image, const Palette& palette);

// The bytes of a 32-bit bottom-up BMP file whose fourth byte is alpha, as SDL's loader
// reads it: the window icon of the program on systems other than Windows.
std::vector<uint8_t> EncodeBmp(const RgbaImage& image);

// The bytes of an icon file holding the given square images, 8 bits per
// pixel each, with masks taken from the canvases' key pixels.
std::vector<uint8_t> EncodeIco(const std::vector<const Canvas*>& canvases);

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

}  // namespace pm
