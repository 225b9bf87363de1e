// The program icon: a green worm wriggling up from the lower left, its
// round head with an eye at the upper right. One shape, sampled at each
// size, with a dark outline that keeps it readable at 16 px.

#include "pictures.h"

namespace pm {
namespace {

constexpr int kPathPoints = 96;

struct Point {
    double x, y;
};

Point PathAt(double t)
{
    return Point{0.15 + 0.60 * t, 0.74 - 0.42 * t + 0.13 * Sin(2.0 * kPi * t)};
}

double HalfWidth(double t, double bold)
{
    return (0.085 + 0.055 * t) * bold;
}
double HeadRadius(double bold)
{
    return 0.16 * (bold > 1.0 ? 1.15 : 1.0);
}

struct Shape {
    double sd;      // signed distance to the worm's edge, negative inside
    bool head;      // nearest part is the head
    double t;       // along the body, 0 at the tail
    double nx, ny;  // unit direction from the centre line (or head centre)
    double across;  // 0 on the centre line, 1 at the edge
};

Shape Probe(double x, double y, double bold)
{
    Shape best{1e9, false, 0, 0, 0, 0};
    Point prev = PathAt(0.0);
    for (int i = 1; i <= kPathPoints; ++i) {
        double t1 = double(i) / kPathPoints, t0 = double(i - 1) / kPathPoints;
        Point cur = PathAt(t1);
        double vx = cur.x - prev.x, vy = cur.y - prev.y;
        double u = Clamp01(((x - prev.x) * vx + (y - prev.y) * vy) / (vx * vx + vy * vy));
        double cx = prev.x + vx * u, cy = prev.y + vy * u;
        double dx = x - cx, dy = y - cy;
        double d = Sqrt(dx * dx + dy * dy);
        double t = Mix(t0, t1, u);
        double w = HalfWidth(t, bold);
        if (d - w < best.sd) {
            best.sd = d - w;
            best.t = t;
            best.head = false;
            best.nx = d > 0 ? dx / d : 0;
            best.ny = d > 0 ? dy / d : 0;
            best.across = d / w;
        }
        prev = cur;
    }
    Point h = PathAt(1.0);
    double dx = x - h.x, dy = y - h.y;
    double d = Sqrt(dx * dx + dy * dy);
    if (d - HeadRadius(bold) < best.sd) {
        best.sd = d - HeadRadius(bold);
        best.head = true;
        best.t = 1.0;
        best.nx = d > 0 ? dx / d : 0;
        best.ny = d > 0 ? dy / d : 0;
        best.across = d / HeadRadius(bold);
    }
    return best;
}

Colour Shade(const Shape& s, double x, double y, int size)
{
    const double pixel = 1.0 / size;
    if (s.sd > -pixel * (size <= 16 ? 0.6 : 1.2)) return Rgb(14, 58, 20);  // outline
    // The eye: white with a black pupil looking ahead; a dark dot when small.
    Point h = PathAt(1.0), back = PathAt(0.96);
    double fx = h.x - back.x, fy = h.y - back.y, fl = Sqrt(fx * fx + fy * fy);
    fx /= fl;
    fy /= fl;
    const double ahead = size <= 16 ? 0.02 : 0.045, up = size <= 16 ? 0.035 : 0.05;
    double ex = h.x + fx * ahead + fy * up, ey = h.y + fy * ahead - fx * up;
    double er = size <= 16 ? 0.05 : 0.065;
    double qx = x - ex, qy = y - ey;
    double eq = Sqrt(qx * qx + qy * qy);
    if (eq < er) {
        if (size <= 16) return Rgb(8, 16, 8);
        double px = x - (ex + fx * 0.02), py = y - (ey + fy * 0.02);
        if (px * px + py * py < 0.032 * 0.032) return Rgb(8, 10, 8);
        return eq > er - pixel * 0.9 ? Rgb(14, 58, 20) : Rgb(248, 250, 240);
    }
    // Round tube lit from the upper left.
    double a = Clamp01(s.across);
    double nz = Sqrt(1.0 - a * a);
    double lx = -0.5, ly = -0.6, lz = 0.62;
    double diff = Clamp01(s.nx * a * lx + s.ny * a * ly + nz * lz);
    Colour base = s.head ? Rgb(116, 214, 92) : Rgb(92, 196, 76);
    if (!s.head && size >= 32) {
        // Segment rings along the body.
        double ring = Sin(s.t * 2.0 * kPi * 7.0);
        base = Scale(base, 0.86 + 0.14 * Smoothstep(-0.6, 0.2, ring));
    }
    Colour c = Scale(base, 0.42 + 0.78 * diff);
    double gloss = PowInt(Clamp01(diff), 12) * 0.45;
    return Add(c, Rgb(255 * gloss, 255 * gloss, 230 * gloss));
}

constexpr int kSamples = 4;  // per side of a pixel

// The smallest icon is drawn bolder: its outline alone would eat a thin worm.
double Boldness(int size)
{
    return size <= 16 ? 1.25 : 1.0;
}

struct PixelCover {
    Colour colour;  // the mean of the worm's samples in the pixel
    int covered;    // how many of the kSamples * kSamples samples hit the worm
};

PixelCover SamplePixel(int i, int j, int size)
{
    PixelCover p{Colour{}, 0};
    for (int sj = 0; sj < kSamples; ++sj)
        for (int si = 0; si < kSamples; ++si) {
            double x = (i + (si + 0.5) / kSamples) / size, y = (j + (sj + 0.5) / kSamples) / size;
            Shape s = Probe(x, y, Boldness(size));
            if (s.sd >= 0) continue;
            ++p.covered;
            p.colour = Add(p.colour, Shade(s, x, y, size));
        }
    if (p.covered > 0) p.colour = Scale(p.colour, 1.0 / p.covered);
    return p;
}

Canvas DrawIcon(int size)
{
    Canvas c(size, size);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            PixelCover p = SamplePixel(i, j, size);
            // The icon mask is one bit: a pixel is the worm's when at least
            // half of it is, and then it takes only the worm's own colours.
            if (p.covered * 2 >= kSamples * kSamples) c.Set(i, j, p.colour);
            else c.SetKey(i, j);
        }
    return c;
}

}  // namespace

std::vector<Canvas> DrawIcons()
{
    std::vector<Canvas> icons;
    for (int size : {16, 32, 48, 64}) icons.push_back(DrawIcon(size));
    return icons;
}

RgbaImage DrawIconRgba(int size)
{
    RgbaImage img;
    img.width = img.height = size;
    img.rgba.assign(size_t(size) * size * 4, 0);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            PixelCover p = SamplePixel(i, j, size);
            if (p.covered == 0) continue;  // fully clear pixels stay all zero
            const Rgb8 rgb = Canvas::ToRgb8(p.colour);
            uint8_t* px = img.rgba.data() + (size_t(j) * size + i) * 4;
            px[0] = rgb.r;
            px[1] = rgb.g;
            px[2] = rgb.b;
            px[3] = uint8_t((255 * p.covered + kSamples * kSamples / 2) / (kSamples * kSamples));
        }
    return img;
}

}  // namespace pm
