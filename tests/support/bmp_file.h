#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace test {

// An uncompressed 8-bit BMP file with the given palette and pixel indices (row by row, top first).
std::string MakeBmp8(int width, int height, const std::vector<COLORREF>& palette,
                     const std::vector<std::uint8_t>& indices);
// The same, every pixel index 0 of a one-colour palette.
std::string MakeSolidBmp8(int width, int height, COLORREF color);

// An uncompressed BMP file of the given depth (1, 4, 8, 24 or 32 bits), every pixel 0 (black).
std::string MakeBlankBmp(int width, int height, int bits);

}  // namespace test
