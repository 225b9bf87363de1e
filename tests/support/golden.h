#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/platform_hooks.h"

namespace test {

// A picture in 32-bit pixels (0x00RRGGBB), row by row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

Picture FromFrame(const platform_test::Frame& frame);
// Each pixel as a square of factor x factor.
Picture Enlarged(const Picture& picture, int factor);
// The top 640 x 480 of one of the pictures in res/, in the display's 5-6-5 colours.
Picture ScreenPictureOf(const std::string& name);

// Any PNG file, its pixels 0xAARRGGBB with their alpha; empty when it cannot be read.
Picture ReadPng(const std::string& path);

// The reference tests/golden/<name>.png, its transparent pixels taken from `behind`: a
// reference keeps only what differs from the screen's own picture, so the files stay small.
// Empty when it cannot be read.
Picture Golden(const std::string& name, const Picture* behind = nullptr);

// Compares the whole picture with the expected one. On a difference it writes <name>.seen.png
// and <name>.diff.png (the differing pixels red over the expected picture, dimmed) beside the
// references and names them. With LORVEX_UPDATE_GOLDEN=1 in the environment it writes
// tests/golden/<name>.png from what it sees instead (transparent where it equals `behind`).
::testing::AssertionResult MatchesGolden(const Picture& seen, const std::string& name, const Picture* behind = nullptr);
// The same against a picture made in the test (e.g. a reference enlarged); never rewritten.
::testing::AssertionResult Matches(const Picture& seen, const Picture& expected, const std::string& name);

}  // namespace test
