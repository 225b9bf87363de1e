// The menu picture: a golden snake coiled round a wooden box on green
// drapery, the name plate, the level box, and below it the five strips.

#include "pictures.h"

namespace pm {
namespace {

constexpr int kW = 640, kH = 480;

// The box, seen from the front and a little above.
constexpr int kBoxLeft = 186, kBoxRight = 454, kBoxTop = 98, kBoxBottom = 378;
constexpr int kLidBack = 72, kLidInset = 18;
// The calm panel behind the buttons (x 245..395, y 145..335).
constexpr int kPanelLeft = 232, kPanelRight = 408, kPanelTop = 138, kPanelBottom = 344;

Colour Drapery(int ix, int iy)
{
    double x = ix + 0.5, y = iy + 0.5;
    // Folds hang from the top and spread a little towards the bottom.
    double spread = 1.0 + 0.25 * y / kH;
    double u = (x - 320.0) / spread + 320.0;
    double phase = u / 38.0 + 0.9 * Sin(u / 97.0) + 0.35 * Sin(y / 140.0 + u / 60.0);
    double fold = Sin(2.0 * kPi * phase);
    double slope = Cos(2.0 * kPi * phase);
    double light = 0.55 + 0.30 * fold - 0.12 * slope;
    // Velvet sheen: folds turned away catch a little light on their edges.
    double sheen = PowInt(Abs(slope), 6) * 0.22;
    double tex = Fbm(x / 3.0, y / 40.0, 2, 51) - 0.5;
    light += 0.05 * tex + sheen;
    // A darker vignette keeps the eye on the box.
    double vx = (x - 320.0) / 360.0, vy = (y - 250.0) / 330.0;
    light *= 1.0 - 0.45 * (vx * vx + vy * vy);
    Colour deep = Rgb(8, 38, 18), mid = Rgb(30, 104, 48), high = Rgb(104, 178, 102);
    light = Clamp01(light);
    return light < 0.6 ? Mix(deep, mid, light / 0.6) : Mix(mid, high, (light - 0.6) / 0.4);
}

Colour Wood(double x, double y, double scale, uint32_t seed)
{
    // Horizontal planks with a wavy grain and darker rings.
    double warp = 6.0 * Fbm(x / 80.0, y / 14.0, 3, seed);
    double grain = Sin((y + warp * 3.0) * 0.9 + 2.0 * Fbm(x / 30.0, y / 6.0, 3, seed + 1));
    double ring = Smoothstep(0.55, 1.0, grain);
    double tone = Fbm(x / 50.0, y / 25.0, 3, seed + 2) - 0.5;
    Colour base = Rgb(128 + 30 * tone, 78 + 20 * tone, 40 + 12 * tone);
    base = Mix(base, Rgb(82, 44, 22), 0.45 * ring);
    return Scale(base, scale);
}

void DrawBox(Canvas& c)
{
    // Lid seen from above: a trapezoid narrowing to the back.
    for (int y = kLidBack; y < kBoxTop; ++y) {
        double t = double(y - kLidBack) / (kBoxTop - kLidBack);
        double inset = kLidInset * (1.0 - t);
        for (int x = kBoxLeft; x < kBoxRight; ++x) {
            if (x + 0.5 < kBoxLeft + inset || x + 0.5 > kBoxRight - inset) continue;
            c.Set(x, y, Wood(x, y * 3.0, 1.12 + 0.1 * t, 61));
        }
    }
    for (int y = kBoxTop; y < kBoxBottom; ++y)
        for (int x = kBoxLeft; x < kBoxRight; ++x) {
            Colour w = Wood(x, y, 0.95, 62);
            // Edges of the box darken like worn corners.
            int e = x - kBoxLeft;
            if (kBoxRight - 1 - x < e) e = kBoxRight - 1 - x;
            if (y - kBoxTop < e) e = y - kBoxTop;
            if (kBoxBottom - 1 - y < e) e = kBoxBottom - 1 - y;
            w = Scale(w, 0.7 + 0.3 * Smoothstep(0.0, 5.0, e));
            if (y == kBoxTop) w = Rgb(196, 142, 88);
            c.Set(x, y, w);
        }
    // The recessed panel: smooth dark wood, so the buttons stand out and a
    // hidden button leaves nothing odd behind.
    for (int y = kPanelTop; y < kPanelBottom; ++y)
        for (int x = kPanelLeft; x < kPanelRight; ++x) {
            double gx = x + 0.5, gy = y + 0.5;
            double grain = Fbm(gx / 90.0, gy / 5.0, 3, 71) - 0.5;
            Colour p = Rgb(74 + 14 * grain, 42 + 8 * grain, 22 + 4 * grain);
            bool top = y < kPanelTop + 3, left = x < kPanelLeft + 3;
            bool bottom = y >= kPanelBottom - 3, right = x >= kPanelRight - 3;
            if (top || left) p = Scale(p, 0.55);
            if (bottom || right) p = Mix(p, Rgb(170, 112, 64), 0.5);
            c.Set(x, y, p);
        }
}

void DrawLevelBox(Canvas& c)
{
    // A brass frame round the black box the level is printed into.
    for (int y = 107; y < 133; ++y)
        for (int x = 297; x < 343; ++x) {
            double t = (y - 107) / 26.0;
            c.Set(x, y, Mix(Rgb(236, 196, 96), Rgb(140, 96, 30), t));
        }
    c.Fill(300, 110, 340, 130, Rgb(0, 0, 0));
}

Colour Gold(int, int y, int top, int height)
{
    double t = Clamp01(double(y - top) / height);
    Colour hi = Rgb(255, 236, 150), mid = Rgb(232, 176, 58), lo = Rgb(150, 96, 24);
    return t < 0.45 ? Mix(hi, mid, t / 0.45) : Mix(mid, lo, (t - 0.45) / 0.55);
}

bool DrawLabels(TextRenderer& text, Canvas& c, std::string* error)
{
    TextMask title, level;
    if (!text.Render(Face::kSerifBold, 40, "Lorvex", &title, error)) return false;
    if (!text.Render(Face::kSerifBold, 15, "Level", &level, error)) return false;
    int inkW = title.inkRight - title.inkLeft;
    int tx = (kW - inkW) / 2 - title.inkLeft, ty = 16 - title.inkTop;
    int top = ty + title.inkTop, height = title.inkBottom - title.inkTop;
    DrawMask(c, title, tx + 2, ty + 3, Rgb(4, 20, 8));
    DrawMask(c, title, tx, ty, [&](int x, int y) { return Gold(x, y, top, height); });
    int lh = level.inkBottom - level.inkTop;
    int lx = 292 - level.inkRight, ly = 120 - lh / 2 - level.inkTop;
    DrawMask(c, level, lx + 1, ly + 1, Rgb(40, 20, 8));
    DrawMask(c, level, lx, ly, [&](int x, int y) { return Gold(x, y, ly + level.inkTop, lh); });
    return true;
}

}  // namespace

bool DrawMenu(TextRenderer& text, Canvas* out, std::string* error)
{
    Canvas c(kW, 630);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) c.Set(x, y, Drapery(x, y));
    DrawBox(c);
    DrawLevelBox(c);
    if (!DrawLabels(text, c, error)) return false;
    static const char* kLabels[5] = {"One player", "Two players", "Match", "About", "Exit"};
    for (int i = 0; i < 5; ++i)
        if (!DrawButtonStrip(text, c, 480 + 30 * i, kLabels[i], 500u + i, error)) return false;
    *out = std::move(c);
    return true;
}

}  // namespace pm
