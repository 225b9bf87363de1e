#include "tests/support/screenshot.h"

#include <cstdlib>

namespace test {

platform_test::Frame ScaledFrame(const platform_test::Frame& frame, int factor)
{
    platform_test::Frame scaled;
    scaled.width = frame.width * factor;
    scaled.height = frame.height * factor;
    scaled.pixels.resize(static_cast<size_t>(scaled.width) * scaled.height);
    for (int y = 0; y < scaled.height; ++y)
        for (int x = 0; x < scaled.width; ++x)
            scaled.pixels[static_cast<size_t>(y) * scaled.width + x] = frame.At(x / factor, y / factor);
    return scaled;
}

void SaveScreenshot(const platform_test::Frame& frame, const std::string& name)
{
    const char* dir = std::getenv("LORVEX_SHOT_DIR");
    if (dir == nullptr) return;
    const std::string stem = std::string(dir) + "/" + name;
    platform_test::SaveFrameBmp(frame, stem + ".bmp");
    platform_test::SaveFrameBmp(ScaledFrame(frame, 2), stem + "-2x.bmp");
}

}  // namespace test
