#pragma once

// Full-colour pictures with an alpha channel, and the PNG files they are written to.

#include <cstdint>
#include <string>
#include <vector>

namespace pm {

struct RgbaImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // top-down rows, 4 bytes a pixel, alpha not premultiplied
};

// Writes an 8-bit RGBA PNG file with no optional chunks (no time, no gamma), so that equal
// pictures always give equal bytes.
bool WritePng(const std::string& path, const RgbaImage& image, std::string* error);

}  // namespace pm
