#pragma once

#include <cstddef>

// The largest picture accepted: sides of at most 16384 pixels and at most 4096 x 4096
// pixels in all. A 1-bit file of 16384 x 16384 once took 1.3 GiB to load; the whole path
// from file to colour-keyed surface now needs at most about 8 bytes per pixel.
constexpr long kMaxPictureSide = 16384;
constexpr long kMaxPicturePixels = 4096L * 4096;

// True when a BMP file's headers describe a picture that its bytes can hold: the
// picture's pixels and palette lie inside the data, its size is within the limits above,
// and its depth and compression are ones the decoder reads.
bool BmpHeaderIsSound(const unsigned char* data, size_t size);
