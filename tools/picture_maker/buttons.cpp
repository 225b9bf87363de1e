// Button strips: a bevelled blue-grey marble plate in three looks, then an
// all-magenta frame for the invisible state.

#include "pictures.h"

namespace pm {
namespace {

constexpr int kFrameW = 150, kFrameH = 30, kBevel = 3, kCorner = 3;

Colour Marble(int x, int y, uint32_t seed)
{
    // Domain-warped noise: soft clouds, broad pale veins and a few fine dark ones.
    double fx = x + 0.5, fy = y + 0.5;
    double wx = Fbm(fx / 40.0, fy / 16.0, 4, seed), wy = Fbm(fx / 40.0 + 5.2, fy / 16.0 + 1.3, 4, seed + 1);
    double v = Sin(fx * 0.035 + fy * 0.10 + 6.0 * wx + 3.0 * wy);
    double vein = 1.0 - Smoothstep(0.0, 0.35, Abs(v));
    double f = Sin(fx * 0.09 - fy * 0.07 + 8.0 * Fbm(fx / 24.0, fy / 10.0, 4, seed + 3));
    double fine = (1.0 - Smoothstep(0.0, 0.06, Abs(f))) * Smoothstep(0.45, 0.7, wy);
    double cloud = Fbm(fx / 22.0, fy / 18.0, 4, seed + 9) - 0.5;
    Colour base = Rgb(106 + 46 * cloud, 122 + 46 * cloud, 146 + 42 * cloud);
    base = Mix(base, Rgb(178, 190, 208), 0.5 * vein * vein);
    base = Mix(base, Rgb(70, 82, 102), 0.3 * fine);
    return base;
}

// Plate pixel: marble lit by a bevel that is raised or, when sunken, inverted.
Colour Plate(int x, int y, bool sunken, uint32_t seed)
{
    Colour c = Marble(x, y, seed);
    if (sunken) c = Scale(c, 0.88);
    if (x == 0 || y == 0 || x == kFrameW - 1 || y == kFrameH - 1) return Rgb(26, 30, 40);
    int fromLeft = x - 1, fromTop = y - 1, fromRight = kFrameW - 2 - x, fromBottom = kFrameH - 2 - y;
    int nearLit = fromLeft < fromTop ? fromLeft : fromTop;
    int nearDark = fromRight < fromBottom ? fromRight : fromBottom;
    const Colour light = Rgb(232, 238, 248), dark = Rgb(34, 40, 54);
    if (nearLit < kBevel && nearLit <= nearDark) {
        double t = 0.62 - 0.16 * nearLit;
        return Mix(c, sunken ? dark : light, t);
    }
    if (nearDark < kBevel) {
        double t = 0.62 - 0.16 * nearDark;
        return Mix(c, sunken ? light : dark, t);
    }
    return c;
}

bool CutCorner(int x, int y)
{
    int cx = x < kCorner ? kCorner - x : (x >= kFrameW - kCorner ? x - (kFrameW - kCorner - 1) : 0);
    int cy = y < kCorner ? kCorner - y : (y >= kFrameH - kCorner ? y - (kFrameH - kCorner - 1) : 0);
    return cx * cx + cy * cy > kCorner * kCorner;
}

}  // namespace

bool DrawButtonStrip(TextRenderer& text, Canvas& canvas, int top, const std::string& label, uint32_t seed,
                     std::string* error)
{
    canvas.FillKey(0, top, canvas.Width(), top + kFrameH);
    TextMask mask;
    if (!text.Render(Face::kSansBold, 15, label, &mask, error)) return false;
    const Colour white = Rgb(255, 255, 255), red = Rgb(236, 48, 36), shadow = Rgb(18, 22, 34);
    for (int frame = 0; frame < 3; ++frame) {
        const int ox = frame * kFrameW;
        const bool sunken = frame == 2;
        for (int y = 0; y < kFrameH; ++y)
            for (int x = 0; x < kFrameW; ++x)
                if (!CutCorner(x, y)) canvas.Set(ox + x, top + y, Plate(x, y, sunken, seed));
        int inkW = mask.inkRight - mask.inkLeft, inkH = mask.inkBottom - mask.inkTop;
        int tx = ox + (kFrameW - inkW) / 2 - mask.inkLeft;
        int ty = top + (kFrameH - inkH) / 2 - mask.inkTop;
        if (sunken) {
            tx += 2;
            ty += 1;
        }
        // A soft drop shadow keeps the label legible on the light veins.
        DrawMask(canvas, mask, tx + 1, ty + 1, [&](int, int) { return shadow; });
        DrawMask(canvas, mask, tx, ty, frame == 0 ? white : red);
    }
    return true;
}

}  // namespace pm
