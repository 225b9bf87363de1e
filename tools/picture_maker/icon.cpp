// The program icon: a green worm curled into a ring, its head with an eye
// at the top right. Drawn from one shape at each size, so even 16 px reads.

#include "pictures.h"

namespace pm {
namespace {

struct WormHit {
    bool body = false;
    double across = 0;  // -1..1 across the tube, for shading
    double along = 0;   // 0 at the tail, 1 at the head
    bool outline = false;
    bool eye = false;
};

// The worm in unit coordinates: an arc of 290 degrees whose thickness grows
// from the tail to the head, ending in a round head.
WormHit Probe(double x, double y, double pixel)
{
    WormHit hit;
    const double cx = 0.5, cy = 0.53, radius = 0.29;
    const double start = 2.35, sweep = -5.1;  // radians, the tail at the lower left
    double dx = x - cx, dy = y - cy;
    double r = Sqrt(dx * dx + dy * dy);
    double ang = Atan2(dy, dx);
    // Position along the arc, unwrapped into the sweep.
    double rel = (ang - start) / sweep;
    rel -= Floor(rel);
    double turn = 2.0 * kPi / Abs(sweep);
    double best = 1e9;
    for (int k = -1; k <= 1; ++k) {
        double t = rel + k * turn;
        if (t < 0.0 || t > 1.0) continue;
        double w = 0.07 + 0.07 * t;
        double d = Abs(r - radius) / w;
        if (d < best) {
            best = d;
            hit.along = t;
            hit.across = (r - radius) / w;
        }
    }
    double outlineW = pixel * 1.1;
    if (best <= 1.0) {
        double w = 0.07 + 0.07 * hit.along;
        hit.body = true;
        hit.outline = (1.0 - best) * w < outlineW;
    }
    // The head: a disc at the arc's end.
    double ha = start + sweep;
    double hx = cx + radius * Cos(ha), hy = cy + radius * Sin(ha);
    double hr = 0.17;
    double ex = x - hx, ey = y - hy;
    double hd = Sqrt(ex * ex + ey * ey);
    if (hd < hr) {
        hit.body = true;
        hit.along = 1.0;
        hit.across = ey / hr;
        hit.outline = hr - hd < outlineW;
        // The eye looks ahead, along the direction of travel.
        double fx = hx + 0.07 * Cos(ha - kPi / 2.0) + 0.02, fy = hy + 0.07 * Sin(ha - kPi / 2.0) - 0.03;
        double er = 0.045 > pixel * 0.9 ? 0.045 : pixel * 0.9;
        double qx = x - fx, qy = y - fy;
        hit.eye = qx * qx + qy * qy < er * er;
    }
    return hit;
}

Canvas DrawIcon(int size)
{
    Canvas c(size, size);
    const double pixel = 1.0 / size;
    const int ss = 4;
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            Colour sum;
            int covered = 0;
            for (int sj = 0; sj < ss; ++sj)
                for (int si = 0; si < ss; ++si) {
                    double x = (i + (si + 0.5) / ss) * pixel, y = (j + (sj + 0.5) / ss) * pixel;
                    WormHit h = Probe(x, y, pixel);
                    if (!h.body) continue;
                    ++covered;
                    Colour col;
                    if (h.outline) {
                        col = Rgb(16, 60, 22);
                    } else if (h.eye) {
                        col = Rgb(20, 20, 20);
                    } else {
                        // Round tube lit from above, with faint segment rings.
                        double lit = 1.0 - 0.55 * (h.across + 0.35) * (h.across + 0.35);
                        double ring = size >= 32 ? 0.9 + 0.1 * Smoothstep(-0.2, 0.6, Sin(h.along * 40.0)) : 1.0;
                        col = Scale(Rgb(96, 204, 84), Clamp(lit, 0.35, 1.15) * ring);
                        if (h.along >= 1.0) col = Scale(Rgb(120, 220, 100), Clamp(lit, 0.4, 1.15));
                    }
                    sum = Add(sum, col);
                }
            // The icon mask is one bit: a pixel is the worm's when at least
            // half of it is, and then takes only the worm's own colours.
            if (covered * 2 >= ss * ss)
                c.Set(i, j, Scale(sum, 1.0 / covered));
            else
                c.SetKey(i, j);
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

}  // namespace pm
