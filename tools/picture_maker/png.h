#pragma once

// Full-colour pictures with an alpha channel, and the PNG files they are written to.

#include <cstdint>
#include <vector>

namespace pm {

struct RgbaImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // top-down rows, 4 bytes a pixel, alpha not premultiplied
};

// The bytes of an 8-bit RGBA PNG file with no optional chunks (no time, no gamma), so
// that equal pictures always give equal bytes.
std::vector<uint8_t> EncodePng(const RgbaImage& image);

}  // namespace pm
