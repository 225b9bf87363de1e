#include "tests/support/screenshot.h"

#include <cstdlib>

namespace test {

void SaveScreenshot(const platform_test::Frame& frame, const std::string& name)
{
    const char* dir = std::getenv("LORVEX_SHOT_DIR");
    if (dir != nullptr) platform_test::SaveFrameBmp(frame, std::string(dir) + "/" + name + ".bmp");
}

}  // namespace test
