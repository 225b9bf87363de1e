// The playing field: rippled sand inside a black frame whose innermost
// line is reddish brown.

#include "pictures.h"

namespace pm {
namespace {

constexpr int kW = 640, kH = 480, kFrame = 20;

// Height of the sand at a point: wind ripples with a gentle stoss side and a
// steeper lee side, bent by slow noise so no two crests run quite alike.
double RippleHeight(double x, double y)
{
    double warp = 9.0 * Sin(x / 61.0 + 1.7 * Sin(y / 97.0)) + 22.0 * (Fbm(x / 140.0, y / 140.0, 3, 7) - 0.5);
    double u = x * 0.28 + y * 0.96 + warp;
    double p = u / 15.0;
    double f = p - Floor(p);
    // Asymmetric profile: rises over 70 % of the wavelength, falls over 30 %.
    double h = f < 0.7 ? f / 0.7 : (1.0 - f) / 0.3;
    h = h * h * (3.0 - 2.0 * h);
    double strength = 0.55 + 0.45 * Smoothstep(0.25, 0.7, Fbm(x / 180.0 + 3.0, y / 180.0, 3, 11));
    return h * strength;
}

Colour Sand(int ix, int iy)
{
    double x = ix + 0.5, y = iy + 0.5;
    // Light from the upper left: slope along that direction brightens.
    double dx = RippleHeight(x + 0.5, y) - RippleHeight(x - 0.5, y);
    double dy = RippleHeight(x, y + 0.5) - RippleHeight(x, y - 0.5);
    double light = Clamp(-(dx * 0.6 + dy * 0.8) * 3.0, -1.0, 1.0);
    double h = RippleHeight(x, y);
    double tone = Fbm(x / 90.0, y / 90.0, 4, 23) - 0.5;

    Colour dark = Rgb(196, 156, 104), mid = Rgb(218, 184, 132), bright = Rgb(238, 214, 168);
    double t = 0.5 + 0.42 * light + 0.14 * (h - 0.5) + 0.32 * tone;
    Colour c = t < 0.5 ? Mix(dark, mid, Clamp01(t * 2.0)) : Mix(mid, bright, Clamp01(t * 2.0 - 1.0));

    // Grain: fine noise on every pixel, and now and then a darker or lighter
    // or rust-coloured grain.
    double g = Hash01(ix, iy, 91) - 0.5;
    c = Scale(c, 1.0 + 0.05 * g);
    double pick = Hash01(ix, iy, 92);
    if (pick < 0.018) c = Scale(c, 0.86);
    else if (pick < 0.028) c = Mix(c, Rgb(250, 238, 210), 0.5);
    else if (pick < 0.034) c = Mix(c, Rgb(160, 92, 60), 0.45);

    // A soft shadow where the sand meets the frame gives the wall height.
    int edge = ix - kFrame;
    if (kW - kFrame - 1 - ix < edge) edge = kW - kFrame - 1 - ix;
    if (iy - kFrame < edge) edge = iy - kFrame;
    if (kH - kFrame - 1 - iy < edge) edge = kH - kFrame - 1 - iy;
    double shade = 1.0 - 0.28 * (1.0 - Smoothstep(0.0, 6.0, edge));
    return Scale(c, shade);
}

}  // namespace

Canvas DrawGround()
{
    Canvas c(kW, kH);
    c.Fill(0, 0, kW, kH, Rgb(0, 0, 0));
    // Two-step bevel as the frame's inner edge: a dark line, then the
    // reddish-brown line that borders the field.
    const Colour outer = Rgb(92, 38, 22), inner = Rgb(156, 72, 42);
    for (int i = 0; i < 2; ++i) {
        const Colour& col = i == 0 ? outer : inner;
        int a = kFrame - 2 + i;
        int b = kW - kFrame + 1 - i, d = kH - kFrame + 1 - i;
        c.Fill(a, a, b + 1, a + 1, col);
        c.Fill(a, d, b + 1, d + 1, col);
        c.Fill(a, a, a + 1, d + 1, col);
        c.Fill(b, a, b + 1, d + 1, col);
    }
    for (int y = kFrame; y < kH - kFrame; ++y)
        for (int x = kFrame; x < kW - kFrame; ++x) c.Set(x, y, Sand(x, y));
    return c;
}

}  // namespace pm
