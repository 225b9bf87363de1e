#pragma once

#include <cstddef>

// True when a BMP file's headers describe a picture that its bytes can hold: the
// picture's pixels and palette lie inside the data, its sides are at most 16384,
// and its depth and compression are ones the decoder reads.
bool BmpHeaderIsSound(const unsigned char* data, size_t size);
