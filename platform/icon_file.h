#pragma once

#include <cstddef>

struct SDL_Surface;

// Decodes the image of a Windows icon file (in memory) whose size is closest to preferredSize
// (ties: the larger). Supports 8-bit (palettised) and 32-bit (BGRA) images with their 1-bit AND mask,
// as stored in .ico files (BITMAPINFOHEADER with doubled height, palette, XOR rows bottom-up, AND rows
// bottom-up padded to 4 bytes; AND bit 1 = transparent). Returns a new SDL_PIXELFORMAT_ARGB8888 surface
// (alpha 0 where the mask says transparent, 255 elsewhere for 8-bit), or null for anything malformed:
// truncated data, counts or offsets past the end, sizes 0 or above 256, unsupported bit depths, a PNG entry.
// Never reads out of bounds, never allocates more than the data justifies.
// The caller owns the surface (SDL_FreeSurface).
SDL_Surface* DecodeIconFile(const void* data, size_t size, int preferredSize);
