#pragma once

#include <string>

#include "platform/test_hooks.h"

namespace test {

// When LORVEX_SHOT_DIR names a folder, writes the frame there as <name>.bmp for a person to
// look at.
void SaveScreenshot(const platform_test::Frame& frame, const std::string& name);

}  // namespace test
