#pragma once

// The drawing of each picture. Every function is a pure function of its
// inputs: the pictures come out the same on every run.

#include <string>
#include <vector>

#include "canvas.h"
#include "png.h"
#include "text.h"

namespace pm {

Canvas DrawGround();
Canvas DrawSprites();
bool DrawMenu(TextRenderer& text, Canvas* out, std::string* error);
bool DrawAbout(TextRenderer& text, Canvas* out, std::string* error);
std::vector<Canvas> DrawIcons();  // 16, 32, 48 and 64 pixels, for the program's icon file
// The icon in full colour with soft edges, drawn at `size` pixels square.
RgbaImage DrawIconRgba(int size);
// The desktop's sizes, and 192 and 512 for the browser's installed web app.
constexpr int kIconPngSizes[] = {16, 32, 48, 64, 128, 192, 256, 512};

// One 640 x 30 strip of button frames at row top: raised, hover, pressed,
// invisible, and the unused magenta tail from x 600.
bool DrawButtonStrip(TextRenderer& text, Canvas& canvas, int top, const std::string& label, uint32_t seed,
                     std::string* error);

// Shared shading helpers.
inline double PowInt(double x, int n)
{
    double r = 1.0;
    for (int i = 0; i < n; ++i) r *= x;
    return r;
}

}  // namespace pm
