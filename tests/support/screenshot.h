#pragma once

#include <string>

#include "platform/test_hooks.h"

namespace test {

// The frame doubled pixel by pixel, as the display shows it on a screen twice the size.
platform_test::Frame ScaledFrame(const platform_test::Frame& frame, int factor);

// When LORVEX_SHOT_DIR names a folder, writes the frame there for a person to look at,
// as <name>.bmp and, doubled, as <name>-2x.bmp.
void SaveScreenshot(const platform_test::Frame& frame, const std::string& name);

}  // namespace test
