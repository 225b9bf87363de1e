#pragma once

// A picture while it is being drawn: colours in doubles (0..255) and a mask
// of the pixels that are to become the transparent magenta.

#include <cstdint>
#include <vector>

#include "fixed_math.h"

namespace pm {

struct Colour {
    double r = 0, g = 0, b = 0;
};

inline Colour Rgb(double r, double g, double b)
{
    return Colour{r, g, b};
}
inline Colour Mix(const Colour& a, const Colour& b, double t)
{
    return Colour{Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}
inline Colour Scale(const Colour& a, double s)
{
    return Colour{a.r * s, a.g * s, a.b * s};
}
inline Colour Add(const Colour& a, const Colour& b)
{
    return Colour{a.r + b.r, a.g + b.g, a.b + b.b};
}

struct Rgb8 {
    uint8_t r, g, b;
    bool operator==(const Rgb8& o) const { return r == o.r && g == o.g && b == o.b; }
};

constexpr Rgb8 kMagenta{255, 0, 255};
constexpr Rgb8 kDeepPink{255, 0, 128};

class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h), key_(static_cast<size_t>(w) * h, 0) {}

    int Width() const { return w_; }
    int Height() const { return h_; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }

    const Colour& At(int x, int y) const { return px_[Index(x, y)]; }
    bool IsKey(int x, int y) const { return key_[Index(x, y)] != 0; }

    void Set(int x, int y, const Colour& c)
    {
        if (!Inside(x, y)) return;
        px_[Index(x, y)] = c;
        key_[Index(x, y)] = 0;
    }
    // Lays colour c over the pixel with opacity a; transparent pixels take c
    // outright, since nothing may ever be blended with the key.
    void Blend(int x, int y, const Colour& c, double a)
    {
        if (!Inside(x, y) || a <= 0.0) return;
        size_t i = Index(x, y);
        if (key_[i]) {
            px_[i] = c;
            key_[i] = 0;
        } else {
            px_[i] = Mix(px_[i], c, Clamp01(a));
        }
    }
    void SetKey(int x, int y)
    {
        if (Inside(x, y)) key_[Index(x, y)] = 1;
    }
    void Fill(int x0, int y0, int x1, int y1, const Colour& c)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y, c);
    }
    void FillKey(int x0, int y0, int x1, int y1)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) SetKey(x, y);
    }

    // The final 8-bit colour of a pixel that is not the key.
    Rgb8 Final(int x, int y) const { return ToRgb8(At(x, y)); }
    static Rgb8 ToRgb8(const Colour& c) { return Rgb8{To8(c.r), To8(c.g), To8(c.b)}; }

private:
    static uint8_t To8(double v) { return static_cast<uint8_t>(Floor(Clamp(v, 0.0, 255.0) + 0.5)); }
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * w_ + x; }

    int w_, h_;
    std::vector<Colour> px_;
    std::vector<uint8_t> key_;
};

}  // namespace pm
