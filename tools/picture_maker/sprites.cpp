// The sprite sheet: 3 x 8 cells of 20 x 20 at a pitch of 21, deep-pink
// separators, shaded discs with dark rims and magenta corners.

#include <functional>

#include "pictures.h"

namespace pm {
namespace {

constexpr int kCell = 20, kPitch = 21;
constexpr double kOuter = 10.0;  // a pixel is opaque when its centre is inside
constexpr double kInner = 8.3;   // the rim lies between kInner and kOuter

// Albedo of the disc surface at a cell point (x, y in 0..20) whose sphere
// normal is (nx, ny, nz).
using Surface = std::function<Colour(double x, double y, double nx, double ny, double nz)>;

// Light the disc gives off itself, added after shading.
using Emission = std::function<Colour(double x, double y)>;

struct DiscStyle {
    Surface surface;
    Colour rim;
    double shine = 0.55;
    Emission emit;
};

DiscStyle Style(Surface surface, const Colour& rim, double shine = 0.55)
{
    DiscStyle st;
    st.surface = std::move(surface);
    st.rim = rim;
    st.shine = shine;
    return st;
}

const Colour kGrey = Rgb(188, 190, 196);
const Colour kGreen = Rgb(52, 178, 62);
const Colour kBlue = Rgb(52, 104, 224);

Colour Lit(const Colour& albedo, double nx, double ny, double nz, double shine)
{
    const double lx = -0.45, ly = -0.55, lz = 0.70;  // light from the upper left, unit length
    double diff = nx * lx + ny * ly + nz * lz;
    if (diff < 0.0) diff = 0.0;
    double hx = lx, hy = ly, hz = lz + 1.0;
    double hn = Sqrt(hx * hx + hy * hy + hz * hz);
    double nh = (nx * hx + ny * hy + nz * hz) / hn;
    if (nh < 0.0) nh = 0.0;
    double gloss = PowInt(nh, 28) * shine;
    Colour c = Scale(albedo, 0.32 + 0.78 * diff);
    return Add(c, Rgb(255 * gloss, 255 * gloss, 255 * gloss));
}

// Colours of one disc into a 20 x 20 buffer; false entries are outside.
void ShadeDisc(const DiscStyle& style, Colour out[kCell][kCell], bool inside[kCell][kCell])
{
    for (int j = 0; j < kCell; ++j)
        for (int i = 0; i < kCell; ++i) {
            double cx = i + 0.5 - 10.0, cy = j + 0.5 - 10.0;
            inside[j][i] = cx * cx + cy * cy < kOuter * kOuter;
            if (!inside[j][i]) continue;
            // 4 x 4 samples per pixel smooth the rim's inner edge and the
            // painted shapes; the outer edge stays hard against the key.
            Colour sum;
            for (int sj = 0; sj < 4; ++sj)
                for (int si = 0; si < 4; ++si) {
                    double x = i + (si + 0.5) / 4.0, y = j + (sj + 0.5) / 4.0;
                    double dx = x - 10.0, dy = y - 10.0;
                    double r = Sqrt(dx * dx + dy * dy);
                    Colour c;
                    if (r < kInner) {
                        double nx = dx / kInner, ny = dy / kInner;
                        double nz = Sqrt(1.0 - nx * nx - ny * ny);
                        c = Lit(style.surface(x, y, nx, ny, nz), nx, ny, nz, style.shine);
                        // Darken towards the rim, as if it overhung the ball.
                        c = Scale(c, 0.78 + 0.22 * Smoothstep(kInner, kInner - 2.2, r));
                        if (style.emit) c = Add(c, style.emit(x, y));
                    } else {
                        // The rim: a dark ring with a faint highlight on its upper left.
                        double a = (-dx * 0.6 - dy * 0.8) / (r > 0 ? r : 1);
                        c = Scale(style.rim, 0.85 + 0.35 * Clamp01(a));
                    }
                    sum = Add(sum, c);
                }
            out[j][i] = Scale(sum, 1.0 / 16.0);
        }
}

void PutDisc(Canvas& canvas, int ox, int oy, const Colour px[kCell][kCell], const bool inside[kCell][kCell])
{
    for (int j = 0; j < kCell; ++j)
        for (int i = 0; i < kCell; ++i) {
            if (inside[j][i]) canvas.Set(ox + i, oy + j, px[j][i]);
            else canvas.SetKey(ox + i, oy + j);
        }
}

Surface Plain(const Colour& c)
{
    return [c](double, double, double, double, double) { return c; };
}

// Bands that wrap round the ball, so the head reads as striped from any side.
Surface Striped(const Colour& stripe)
{
    return [stripe](double, double, double nx, double ny, double nz) {
        double t = nx * 0.70 + ny * 0.45 + nz * 0.55;
        double w = Sin(t * kPi * 3.2);
        double m = Smoothstep(-0.18, 0.18, w);
        return Mix(kGrey, stripe, m);
    };
}

// The marked body cell: a grey ball lit from inside by a soft glow.
DiscStyle Glowing(const Colour& glow, const Colour& rim)
{
    DiscStyle style = Style(Plain(kGrey), rim);
    style.surface = [glow](double x, double y, double, double, double) {
        double dx = x - 10.0, dy = y - 10.0;
        return Mix(kGrey, glow, 0.75 * Exp(-(dx * dx + dy * dy) / 22.0));
    };
    style.emit = [glow](double x, double y) {
        double dx = x - 10.0, dy = y - 10.0;
        double g = Exp(-(dx * dx + dy * dy) / 9.0);
        return Add(Scale(glow, 0.55 * g), Scale(Rgb(255, 255, 255), 0.22 * g * g));
    };
    return style;
}

bool InPolygon(double x, double y, const double (*pts)[2], int n)
{
    bool in = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        double xi = pts[i][0], yi = pts[i][1], xj = pts[j][0], yj = pts[j][1];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
}

Surface Bolt()
{
    return [](double x, double y, double, double, double) {
        static const double kBolt[][2] = {{12.6, 2.6}, {5.6, 11.0}, {9.4, 11.0}, {7.2, 17.6},
                                          {14.6, 8.6}, {10.8, 8.6}, {14.2, 2.6}};
        if (InPolygon(x, y, kBolt, 7)) return Rgb(14, 14, 16);
        return kGrey;
    };
}

Surface StarBlot()
{
    // A splash: eight spikes of uneven length round a blob, plus two drops.
    return [](double x, double y, double, double, double) {
        static const double kSpike[8] = {1.00, 0.70, 0.92, 0.62, 1.05, 0.75, 0.88, 0.66};
        double dx = x - 10.0, dy = y - 10.0;
        double r = Sqrt(dx * dx + dy * dy);
        double a = Atan2(dy, dx) + 0.3;
        double s = a / (2.0 * kPi) * 8.0;
        double fs = Floor(s);
        int k = static_cast<int>(fs) & 7;
        double f = s - fs;
        double spike = PowInt(1.0 - 2.0 * Abs(f - 0.5), 2);
        double reach = 3.0 + 4.4 * kSpike[k] * spike;
        bool ink = r < reach;
        double d1x = x - 15.2, d1y = y - 13.6, d2x = x - 5.0, d2y = y - 5.6;
        if (d1x * d1x + d1y * d1y < 0.8 || d2x * d2x + d2y * d2y < 0.55) ink = true;
        return ink ? Rgb(14, 14, 16) : kGrey;
    };
}

// Crash frames: the cell's disc speckled with more and more red, then
// scattered into ever fewer and paler pixels on the key.
void PutCrashFrame(Canvas& canvas, int ox, int oy, const Colour disc[kCell][kCell], const bool inside[kCell][kCell],
                   int frame, uint32_t seed)
{
    // Per frame: where clumps of red show (a noise threshold), the odd lone
    // red pixel, how many pixels survive, how far they fly and how pale.
    static const double kClump[5] = {0.70, 0.56, 0.44, 0.36, 0.30};
    static const double kLoneRed[5] = {0.04, 0.10, 0.25, 0.35, 0.4};
    static const double kKeep[5] = {1.0, 1.0, 0.8, 0.42, 0.2};
    static const double kSpread[5] = {1.0, 1.0, 1.03, 1.12, 1.2};
    static const double kFade[5] = {0.0, 0.0, 0.04, 0.24, 0.45};
    XorShift rng(seed * 7919u + frame * 104729u + 1u);
    canvas.FillKey(ox, oy, ox + kCell, oy + kCell);
    const Colour reds[3] = {Rgb(200, 26, 20), Rgb(150, 14, 12), Rgb(234, 70, 44)};
    const Colour pale = Rgb(236, 214, 206);
    for (int j = 0; j < kCell; ++j)
        for (int i = 0; i < kCell; ++i) {
            if (!inside[j][i]) continue;
            double keep = rng.Unit(), lone = rng.Unit(), shade = rng.Unit();
            double jx = rng.Range(-1.0, 1.0), jy = rng.Range(-1.0, 1.0);
            // The same clumps grow from frame to frame: the noise is fixed
            // per cell and only the threshold falls.
            double clump =
                ValueNoise(i / 2.6, j / 2.6, seed + 5u) * 0.75 + 0.25 * ValueNoise(i / 1.2, j / 1.2, seed + 6u);
            bool red = clump > kClump[frame] || lone < kLoneRed[frame];
            if (keep >= kKeep[frame]) continue;
            Colour c = disc[j][i];
            if (red) {
                Colour r = reds[static_cast<int>(shade * 3.0) % 3];
                // Keep some of the ball's shading under the red.
                double lum = (c.r + c.g + c.b) / (3.0 * 190.0);
                c = Scale(r, 0.65 + 0.45 * Clamp(lum, 0.0, 1.2));
            }
            c = Mix(c, pale, kFade[frame]);
            int x = i, y = j;
            if (frame >= 2) {
                double dx = i + 0.5 - 10.0, dy = j + 0.5 - 10.0;
                double nx = dx * kSpread[frame] + jx * (frame - 1) * 0.6;
                double ny = dy * kSpread[frame] + jy * (frame - 1) * 0.6;
                double r = Sqrt(nx * nx + ny * ny);
                if (r > 9.4) {
                    nx *= 9.4 / r;
                    ny *= 9.4 / r;
                }
                x = static_cast<int>(Floor(nx + 10.0));
                y = static_cast<int>(Floor(ny + 10.0));
            }
            canvas.Set(ox + x, oy + y, c);
        }
}

}  // namespace

Canvas DrawSprites()
{
    const int w = 3 * kPitch, h = 8 * kPitch + 5;
    Canvas c(w, h);
    c.Fill(0, 0, w, 8 * kPitch, Rgb(255, 0, 128));
    c.FillKey(0, 8 * kPitch, w, h);

    const Colour rimGrey = Rgb(44, 46, 54);
    DiscStyle styles[3][3] = {
        {Style(Striped(kGreen), rimGrey), Style(Plain(kGrey), rimGrey), Glowing(kGreen, rimGrey)},
        {Style(Striped(kBlue), rimGrey), Style(Plain(kGrey), rimGrey), Glowing(kBlue, rimGrey)},
        // Food is a warmer, brighter ball so it never passes for a body.
        {Style(Plain(Rgb(236, 226, 204)), Rgb(92, 62, 40), 0.75), Style(Bolt(), rimGrey), Style(StarBlot(), rimGrey)},
    };
    Colour px[kCell][kCell];
    bool inside[kCell][kCell];
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col) {
            ShadeDisc(styles[r][col], px, inside);
            PutDisc(c, col * kPitch, r * kPitch, px, inside);
        }

    // Both worms share the crash frames, so they start from neutral cells.
    DiscStyle crash[3] = {Style(Striped(Rgb(110, 112, 120)), rimGrey), Style(Plain(kGrey), rimGrey),
                          Glowing(Rgb(150, 150, 156), rimGrey)};
    for (int col = 0; col < 3; ++col) {
        ShadeDisc(crash[col], px, inside);
        for (int f = 0; f < 5; ++f) PutCrashFrame(c, col * kPitch, (3 + f) * kPitch, px, inside, f, 31u + col);
    }
    return c;
}

}  // namespace pm
