// The menu picture: a golden snake coiled round a wooden box on green
// drapery, the name plate, the level box, and below it the five strips.
//
// The scene is rendered at 3 x 3 samples per pixel: the box and the
// drapery are functions of the point, the snake is a chain of spheres
// stamped into a depth buffer, so it can pass in front of and behind the
// box and over its lid.

#include <vector>

#include "pictures.h"

namespace pm {
namespace {

constexpr int kW = 640, kH = 480, kSs = 3;

// The box in world units (x right, y down, z towards the viewer); the
// front face is z = 0 and the box is kDepth deep.
constexpr double kBoxLeft = 186, kBoxRight = 454, kBoxTop = 98, kBoxBottom = 378, kDepth = 80;
// Seen a little from above: depth lifts a point on the screen and shrinks
// it towards the middle.
constexpr double kLift = 0.33, kShrink = 0.0015;
// The recessed panel behind the buttons (x 245..395, y 145..335).
constexpr double kPanelLeft = 232, kPanelRight = 408, kPanelTop = 139, kPanelBottom = 341;

struct Vec3 {
    double x, y, z;
};
Vec3 operator+(const Vec3& a, const Vec3& b)
{
    return Vec3{a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(const Vec3& a, const Vec3& b)
{
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(const Vec3& a, double s)
{
    return Vec3{a.x * s, a.y * s, a.z * s};
}
double Length(const Vec3& a)
{
    return Sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

double ScreenX(const Vec3& p)
{
    return 320.0 + (p.x - 320.0) * (1.0 + kShrink * p.z);
}
double ScreenY(const Vec3& p)
{
    return p.y + kLift * p.z;
}

// ---------------------------------------------------------------- drapery

// Brightness 0..1 of the curtain hanging behind the box.
double HangingCloth(double x, double y)
{
    double spread = 1.0 + 0.22 * y / kH;
    double u = (x - 320.0) / spread + 320.0;
    double phase = u / 36.0 + 0.9 * Sin(u / 97.0) + 0.30 * Sin(y / 150.0 + u / 60.0);
    double fold = Sin(2.0 * kPi * phase);
    double slope = Cos(2.0 * kPi * phase);
    double light = 0.50 + 0.30 * fold - 0.10 * slope;
    light += PowInt(Abs(slope), 6) * 0.20;  // velvet sheen on the turned folds
    light += 0.05 * (Fbm(x / 3.0, y / 40.0, 2, 51) - 0.5);
    return light;
}

// Brightness 0..1 of the cloth spread on the floor.
double FloorCloth(double x, double y)
{
    // Folds on the floor run towards a vanishing point far above, wider
    // apart as they come nearer.
    double a = Atan2(x - 320.0, y + 260.0);
    double phase = a * 24.0 + 1.1 * Sin(a * 7.0 + 1.0) + 0.5 * Sin(y / 37.0 + a * 3.0);
    double fold = Sin(phase), slope = Cos(phase);
    double light = 0.60 + 0.17 * fold + 0.08 * PowInt(Abs(slope), 5);
    light += 0.10 * Smoothstep(360.0, 480.0, y);  // the near floor faces the light
    light += 0.04 * (Fbm(x / 4.0, y / 4.0, 2, 57) - 0.5);
    return light;
}

constexpr double kFloorLine = 356;

double SoftBox(double x, double y, double x0, double y0, double x1, double y1, double soft)
{
    double fx = Smoothstep(x0 - soft, x0 + soft, x) * (1.0 - Smoothstep(x1 - soft, x1 + soft, x));
    double fy = Smoothstep(y0 - soft, y0 + soft, y) * (1.0 - Smoothstep(y1 - soft, y1 + soft, y));
    return fx * fy;
}

// Soft shadow that the snake throws, 0..1 per pixel; filled before the
// scene is sampled.
class ShadowMap {
public:
    ShadowMap() : v_(size_t(kW) * kH, 0.0f) {}
    void Add(double cx, double cy, double r, double strength)
    {
        int x0 = static_cast<int>(Floor(cx - r * 1.4)), x1 = static_cast<int>(Floor(cx + r * 1.4)) + 1;
        int y0 = static_cast<int>(Floor(cy - r * 1.4)), y1 = static_cast<int>(Floor(cy + r * 1.4)) + 1;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                if (x < 0 || y < 0 || x >= kW || y >= kH) continue;
                double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                double a = strength * Smoothstep(r * 1.4, r * 0.4, Sqrt(dx * dx + dy * dy));
                float& cell = v_[size_t(y) * kW + x];
                if (a > cell) cell = static_cast<float>(a);
            }
    }
    // Bilinear, so the shadow stays smooth between the samples of a pixel.
    double At(double x, double y) const
    {
        double fx = x - 0.5, fy = y - 0.5;
        double ix = Floor(fx), iy = Floor(fy);
        double tx = fx - ix, ty = fy - iy;
        auto cell = [this](int cx, int cy) -> double {
            if (cx < 0) cx = 0;
            if (cy < 0) cy = 0;
            if (cx >= kW) cx = kW - 1;
            if (cy >= kH) cy = kH - 1;
            return v_[size_t(cy) * kW + cx];
        };
        int x0 = static_cast<int>(ix), y0 = static_cast<int>(iy);
        return Mix(Mix(cell(x0, y0), cell(x0 + 1, y0), tx), Mix(cell(x0, y0 + 1), cell(x0 + 1, y0 + 1), tx), ty);
    }

private:
    std::vector<float> v_;
};

Colour Drapery(double x, double y)
{
    double bend = kFloorLine + 0.00012 * (x - 320.0) * (x - 320.0);
    double light;
    if (y < bend - 10.0) {
        light = HangingCloth(x, y);
    } else if (y > bend + 10.0) {
        light = FloorCloth(x, y);
    } else {
        double t = (y - (bend - 10.0)) / 20.0;
        light = Mix(HangingCloth(x, y), FloorCloth(x, y), Smoothstep(0.0, 1.0, t));
    }
    // The crease where the cloth turns from wall to floor lies in shadow.
    light *= 1.0 - 0.35 * Exp(-(y - bend) * (y - bend) / 90.0);
    // The box throws its shadow down and to the right, on wall and floor.
    double wall = SoftBox(x, y, kBoxLeft + 30, kBoxTop - 4, kBoxRight + 34, kBoxBottom - 16, 16.0);
    double ground = SoftBox(x, y, kBoxLeft - 6, kBoxBottom - 30, kBoxRight + 60, kBoxBottom + 14, 12.0);
    light *= 1.0 - 0.42 * (y < bend ? wall : ground);
    // A darker vignette keeps the eye on the box.
    double vx = (x - 320.0) / 380.0, vy = (y - 240.0) / 330.0;
    light *= 1.0 - 0.5 * (vx * vx + vy * vy);
    light = Clamp01(light);
    const Colour deep = Rgb(6, 34, 16), mid = Rgb(28, 100, 46), high = Rgb(110, 182, 104);
    return light < 0.6 ? Mix(deep, mid, light / 0.6) : Mix(mid, high, (light - 0.6) / 0.4);
}

// -------------------------------------------------------------------- box

Colour Wood(double x, double y, double scale, uint32_t seed)
{
    double warp = 6.0 * Fbm(x / 80.0, y / 14.0, 3, seed);
    double grain = Sin((y + warp * 3.0) * 0.9 + 2.0 * Fbm(x / 30.0, y / 6.0, 3, seed + 1));
    double ring = Smoothstep(0.55, 1.0, grain);
    double tone = Fbm(x / 50.0, y / 25.0, 3, seed + 2) - 0.5;
    Colour base = Rgb(132 + 34 * tone, 80 + 22 * tone, 40 + 12 * tone);
    base = Mix(base, Rgb(84, 44, 22), 0.45 * ring);
    return Scale(base, scale);
}

double LidDepth(double sy)
{
    return (sy - kBoxTop) / kLift;
}

bool OnLid(double sx, double sy)
{
    if (sy < kBoxTop - kLift * kDepth || sy >= kBoxTop) return false;
    double z = LidDepth(sy);
    double f = 1.0 + kShrink * z;
    return sx >= 320.0 + (kBoxLeft - 320.0) * f && sx < 320.0 + (kBoxRight - 320.0) * f;
}

bool OnFront(double sx, double sy)
{
    return sx >= kBoxLeft && sx < kBoxRight && sy >= kBoxTop && sy < kBoxBottom;
}

// Distance from the nearest edge of a rectangle, negative outside.
double Inset(double x, double y, double x0, double y0, double x1, double y1)
{
    double d = x - x0;
    if (x1 - x < d) d = x1 - x;
    if (y - y0 < d) d = y - y0;
    if (y1 - y < d) d = y1 - y;
    return d;
}

Colour BrassPlate(double x, double y, double y0)
{
    double t = Clamp01((y - y0) / 24.0);
    Colour c = Mix(Rgb(238, 200, 110), Rgb(150, 100, 34), t);
    c = Scale(c, 0.92 + 0.16 * (Fbm(x / 2.0, y / 9.0, 2, 81) - 0.5));
    return c;
}

// Brass corner brackets, L-shaped, each with two rivets.
bool Bracket(double x, double y, Colour* out)
{
    const double size = 26, band = 9;
    for (int corner = 0; corner < 4; ++corner) {
        bool right = corner & 1, bottom = corner & 2;
        double cx = right ? kBoxRight : kBoxLeft, cy = bottom ? kBoxBottom : kBoxTop;
        double lx = right ? cx - x : x - cx, ly = bottom ? cy - y : y - cy;  // 0 at the corner, inwards
        if (lx < 0 || ly < 0 || lx >= size || ly >= size) continue;
        if (lx >= band && ly >= band) continue;
        Colour c = BrassPlate(x, y, cy - (bottom ? size : 0));
        // Dark edges: along the box's own edge and round the L's inner sides.
        double edge = lx < ly ? (lx < band ? lx : ly) : (ly < band ? ly : lx);
        if (edge < 1.2 || Abs(lx - size) < 1.2 || Abs(ly - size) < 1.2) c = Scale(c, 0.62);
        // Rivets near the arms' ends.
        double r1x = lx - (size - 5.0), r1y = ly - band / 2.0, r2x = lx - band / 2.0, r2y = ly - (size - 5.0);
        double rr = 2.3 * 2.3;
        if (r1x * r1x + r1y * r1y < rr || r2x * r2x + r2y * r2y < rr) {
            double hx = r1x * r1x + r1y * r1y < rr ? r1x : r2x, hy = r1x * r1x + r1y * r1y < rr ? r1y : r2y;
            c = Mix(Rgb(255, 240, 190), Rgb(110, 70, 20), Clamp01(0.5 + 0.25 * (hx + hy)));
        }
        *out = c;
        return true;
    }
    return false;
}

Colour BoxFront(double x, double y)
{
    Colour bracket;
    if (Bracket(x, y, &bracket)) return bracket;
    double inPanel = Inset(x, y, kPanelLeft, kPanelTop, kPanelRight, kPanelBottom);
    if (inPanel >= 0) {
        // The recessed panel: smooth dark wood, calm behind the buttons; its
        // bevel is shadowed at the top and left, lit at the bottom and right.
        double grain = Fbm(x / 90.0, y / 5.0, 3, 71) - 0.5;
        Colour p = Rgb(78 + 16 * grain, 44 + 9 * grain, 22 + 5 * grain);
        p = Scale(p, 0.93 + 0.07 * Smoothstep(kPanelTop, kPanelBottom, y));
        if (inPanel < 4) {
            bool litSide = (kPanelBottom - y <= inPanel + 0.01) || (kPanelRight - x <= inPanel + 0.01);
            p = litSide ? Mix(p, Rgb(176, 118, 66), 0.55 - 0.1 * inPanel) : Scale(p, 0.5 + 0.1 * inPanel);
        }
        return p;
    }
    // Frame: rails across the top and bottom, stiles up the sides.
    bool rail = y < kPanelTop || y >= kPanelBottom;
    Colour w = rail ? Wood(x, y, 0.98, 62) : Wood(y * 0.6 + 500.0, x * 1.6, 0.93, 63);
    double e = Inset(x, y, kBoxLeft, kBoxTop, kBoxRight, kBoxBottom);
    w = Scale(w, 0.72 + 0.28 * Smoothstep(0.0, 5.0, e));
    // Joints between rails and stiles.
    if (!rail && (Abs(y - kPanelTop) < 0.8 || Abs(y - kPanelBottom) < 0.8)) w = Scale(w, 0.6);
    if (e < 1.0) w = Mix(w, Rgb(205, 150, 96), 0.5);  // worn, catching the light
    return w;
}

Colour BoxLid(double x, double y)
{
    double z = LidDepth(y);
    double t = -z / kDepth;  // 0 at the front edge, 1 at the back
    Colour w = Wood(x, z * 1.4 + 900.0, 1.16 - 0.16 * t, 61);
    if (y > kBoxTop - 2.0) w = Mix(w, Rgb(214, 160, 104), 0.6);  // the rounded front edge
    return w;
}

// ------------------------------------------------------------------ snake

struct Sample {
    Vec3 p;
    double radius;
    double s;  // arc length from the tail
};

// Uniform Catmull-Rom through the points, sampled about every step.
std::vector<Vec3> Spline(const std::vector<Vec3>& pts, double step)
{
    std::vector<Vec3> out;
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        const Vec3& p0 = pts[i == 0 ? 0 : i - 1];
        const Vec3& p1 = pts[i];
        const Vec3& p2 = pts[i + 1];
        const Vec3& p3 = pts[i + 2 < pts.size() ? i + 2 : i + 1];
        int n = static_cast<int>(Length(p2 - p1) / step) + 1;
        for (int k = 0; k < n; ++k) {
            double t = double(k) / n, t2 = t * t, t3 = t2 * t;
            Vec3 v = (p1 * 2.0 + (p2 - p0) * t + (p0 * 2.0 - p1 * 5.0 + p2 * 4.0 - p3) * t2 +
                      (p1 * 3.0 - p0 - p2 * 3.0 + p3) * t3) *
                     0.5;
            out.push_back(v);
        }
    }
    out.push_back(pts.back());
    return out;
}

constexpr double kBody = 11.0;  // the snake's radius

// A point on a rounded rectangle hugging the box at the snake's radius,
// d along its perimeter from the left end of the front side, clockwise
// seen from above (front: left to right).
Vec3 AroundBox(double d, double y)
{
    const double r = kBody + 3.0;  // corner radius
    const double hx = (kBoxRight - kBoxLeft) / 2.0 + kBody, hz = kDepth / 2.0 + kBody;
    const double cx = (kBoxLeft + kBoxRight) / 2.0, cz = -kDepth / 2.0;
    const double sx = 2.0 * (hx - r), sz = 2.0 * (hz - r), arc = kPi / 2.0 * r;
    const double per = 2.0 * sx + 2.0 * sz + 4.0 * arc;
    d -= Floor(d / per) * per;
    // Front, right corner, right side, back corner, back, left corner, left side, corner.
    if (d < sx) return Vec3{cx - hx + r + d, y, cz + hz};
    d -= sx;
    if (d < arc) {
        double a = d / r;
        return Vec3{cx + hx - r + r * Sin(a), y, cz + hz - r + r * Cos(a)};
    }
    d -= arc;
    if (d < sz) return Vec3{cx + hx, y, cz + hz - r - d};
    d -= sz;
    if (d < arc) {
        double a = d / r;
        return Vec3{cx + hx - r + r * Cos(a), y, cz - hz + r - r * Sin(a)};
    }
    d -= arc;
    if (d < sx) return Vec3{cx + hx - r - d, y, cz - hz};
    d -= sx;
    if (d < arc) {
        double a = d / r;
        return Vec3{cx - hx + r - r * Sin(a), y, cz - hz + r - r * Cos(a)};
    }
    d -= arc;
    if (d < sz) return Vec3{cx - hx, y, cz - hz + r + d};
    d -= sz;
    double a = d / r;
    return Vec3{cx - hx + r - r * Cos(a), y, cz + hz - r + r * Sin(a)};
}

std::vector<Sample> SnakeSamples(double* headStart)
{
    std::vector<Vec3> pts = {{40, 462, 30}, {78, 452, 44}, {118, 438, 48}, {150, 414, 40}, {166, 392, 30}};
    // Two turns round the foot of the box, climbing as they go.
    const double r = kBody + 3.0;
    const double sx = 2.0 * ((kBoxRight - kBoxLeft) / 2.0 + kBody - r);
    const double sz = 2.0 * (kDepth / 2.0 + kBody - r), arc = kPi / 2.0 * r;
    const double per = 2.0 * sx + 2.0 * sz + 4.0 * arc;
    const double start = -(sz / 2.0 + arc);   // on the left side, coming forwards
    const double end = per + sx + arc * 0.9;  // past the right front corner
    for (double d = start; d <= end; d += 6.0) {
        double y = 370.0 - 22.0 * (d - start) / per;
        pts.push_back(AroundBox(d, y));
    }
    // Up the right side and over the lid, then the head lifts to the left.
    const double lidY = kBoxTop - kBody + 1.0;
    std::vector<Vec3> rise = {{470, 300, -30},       {479, 236, -40},       {467, 172, -44},
                              {464, 116, -44},       {444, lidY, -44},      {410, lidY, -46},
                              {370, lidY, -48},      {330, lidY, -46},      {292, lidY - 2, -40},
                              {262, lidY - 10, -28}, {240, lidY - 18, -18}, {222, lidY - 24, -10}};
    pts.insert(pts.end(), rise.begin(), rise.end());
    std::vector<Vec3> path = Spline(pts, 0.35);

    std::vector<Sample> out;
    double s = 0.0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (i > 0) s += Length(path[i] - path[i - 1]);
        out.push_back(Sample{path[i], kBody, s});
    }
    const double total = s, headLen = 34.0;
    *headStart = total - headLen;
    for (Sample& p : out) {
        double fromTail = p.s, fromHead = total - p.s;
        double rad = kBody;
        if (fromTail < 150.0) rad = 1.6 + (kBody - 1.6) * Smoothstep(0.0, 150.0, fromTail);
        if (fromHead < headLen + 24.0) {
            // A slimmer neck, then the broad wedge of the head and its snout.
            double neck = 1.0 - 0.16 * Smoothstep(headLen + 24.0, headLen + 6.0, fromHead);
            rad = kBody * neck;
            if (fromHead < headLen + 6.0) {
                double t = Clamp01(fromHead / (headLen + 6.0));  // 0 at the tip
                double bulge = Sin(kPi * Clamp01(0.15 + 0.85 * t)) * 0.55 + 0.45 * t;
                rad = Mix(6.0, 14.5, Smoothstep(0.0, 0.55, t)) * (0.85 + 0.15 * bulge);
                rad = Mix(rad, kBody * 0.84, Smoothstep(0.8, 1.0, t));
            }
        }
        p.radius = rad;
    }
    return out;
}

struct Hit {
    float depth = -1e9f;
    float nx = 0, ny = 0, nz = 0;
    float s = 0;
    float across = 0;  // -1..1 across the body on the screen
};

class SnakeLayer {
public:
    SnakeLayer() : w_(kW * kSs), h_(kH * kSs), hits_(size_t(w_) * h_) {}

    void Render()
    {
        samples_ = SnakeSamples(&headStart_);
        for (size_t i = 0; i < samples_.size(); ++i) Stamp(i);
    }

    const Hit& At(int hx, int hy) const { return hits_[size_t(hy) * w_ + hx]; }
    double HeadStart() const { return headStart_; }
    const std::vector<Sample>& Samples() const { return samples_; }

private:
    // What the box or the drapery puts at this screen point, as a depth.
    static double SceneDepth(double sx, double sy)
    {
        if (OnFront(sx, sy)) return 0.0;
        if (OnLid(sx, sy)) return LidDepth(sy);
        return -1e6;
    }

    void Stamp(size_t i)
    {
        const Sample& smp = samples_[i];
        double f = 1.0 + kShrink * smp.p.z;
        double cx = ScreenX(smp.p) * kSs, cy = ScreenY(smp.p) * kSs, rad = smp.radius * f * kSs;
        // Screen direction of travel, for the across coordinate.
        const Sample& a = samples_[i > 0 ? i - 1 : i];
        const Sample& b = samples_[i + 1 < samples_.size() ? i + 1 : i];
        double tx = ScreenX(b.p) - ScreenX(a.p), ty = ScreenY(b.p) - ScreenY(a.p);
        double tl = Sqrt(tx * tx + ty * ty);
        if (tl > 0) {
            tx /= tl;
            ty /= tl;
        } else {
            tx = 1;
            ty = 0;
        }
        int x0 = static_cast<int>(Floor(cx - rad)), x1 = static_cast<int>(Floor(cx + rad)) + 1;
        int y0 = static_cast<int>(Floor(cy - rad)), y1 = static_cast<int>(Floor(cy + rad)) + 1;
        for (int y = y0; y <= y1; ++y) {
            if (y < 0 || y >= h_) continue;
            for (int x = x0; x <= x1; ++x) {
                if (x < 0 || x >= w_) continue;
                double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                double d2 = dx * dx + dy * dy;
                if (d2 >= rad * rad) continue;
                double dz = Sqrt(rad * rad - d2);
                double depth = smp.p.z + dz / kSs;
                Hit& h = hits_[size_t(y) * w_ + x];
                if (depth <= h.depth) continue;
                if (depth < SceneDepth((x + 0.5) / kSs, (y + 0.5) / kSs)) continue;
                h.depth = static_cast<float>(depth);
                h.nx = static_cast<float>(dx / rad);
                h.ny = static_cast<float>(dy / rad);
                h.nz = static_cast<float>(dz / rad);
                h.s = static_cast<float>(smp.s);
                h.across = static_cast<float>((dx * -ty + dy * tx) / rad);
            }
        }
    }

    int w_, h_;
    std::vector<Hit> hits_;
    std::vector<Sample> samples_;
    double headStart_ = 0;
};

Colour GoldRamp(double t)
{
    const Colour c0 = Rgb(58, 30, 6), c1 = Rgb(150, 92, 18), c2 = Rgb(222, 166, 46), c3 = Rgb(255, 232, 150);
    t = Clamp01(t);
    if (t < 0.35) return Mix(c0, c1, t / 0.35);
    if (t < 0.75) return Mix(c1, c2, (t - 0.35) / 0.4);
    return Mix(c2, c3, (t - 0.75) / 0.25);
}

Colour ShadeSnake(const Hit& h, double headStart)
{
    double nx = h.nx, ny = h.ny, nz = h.nz, s = h.s, a = h.across;
    bool head = s > headStart;
    // Scales: offset rows of rounded scales along the body.
    double u = s / 4.6, v = a * 3.4;
    double row = Floor(v);
    u += 0.5 * (static_cast<int>(row) & 1);
    double fu = u - Floor(u) - 0.5, fv = v - row;
    double scale = Sqrt(fu * fu * 1.6 + fv * fv);
    double edge = Smoothstep(0.42, 0.62, scale);
    // Dark diamonds down the back, the classic marking.
    double along = s / 26.0;
    double dia = Abs(along - Floor(along) - 0.5) * 2.0 + Abs(a) * 1.25;
    double mark = 1.0 - Smoothstep(0.55, 0.72, dia);
    double markRim = Smoothstep(0.45, 0.6, dia) * (1.0 - Smoothstep(0.72, 0.86, dia));
    if (head) {
        edge *= 0.5;
        mark = 0.0;
        markRim = 0.0;
    }
    const double lx = -0.42, ly = -0.62, lz = 0.66;
    double diff = nx * lx + ny * ly + nz * lz;
    if (diff < 0) diff = 0;
    double hz = lz + 1.0, hn = Sqrt(lx * lx + ly * ly + hz * hz);
    double gloss = (nx * lx + ny * ly + nz * hz) / hn;
    gloss = gloss > 0 ? PowInt(gloss, 22) : 0.0;
    double t = 0.18 + 0.72 * diff - 0.22 * edge - 0.35 * mark + 0.12 * markRim;
    Colour c = GoldRamp(t);
    if (mark > 0) c = Mix(c, Scale(Rgb(92, 50, 12), 0.5 + 0.6 * diff), 0.55 * mark);
    c = Add(c, Scale(Rgb(255, 244, 200), 0.85 * gloss * (1.0 - 0.6 * edge)));
    // Silhouette darkening gives the body a clean outline.
    c = Scale(c, 0.45 + 0.55 * Smoothstep(0.0, 0.45, nz));
    return c;
}

// The eye and tongue are drawn over the head after the stamping.
struct HeadFeatures {
    double eyeX, eyeY, tipX, tipY, dirX, dirY;
};

HeadFeatures FindHead(const std::vector<Sample>& samples, double headStart)
{
    const Sample& tip = samples.back();
    // The eye sits over the broad part of the head, a little towards the crown.
    size_t eyeAt = samples.size() - 1;
    while (eyeAt > 0 && samples[eyeAt].s > headStart + 17.0) --eyeAt;
    const Sample& back = samples[eyeAt > 20 ? eyeAt - 20 : 0];
    double dx = ScreenX(tip.p) - ScreenX(back.p), dy = ScreenY(tip.p) - ScreenY(back.p);
    double l = Sqrt(dx * dx + dy * dy);
    dx /= l;
    dy /= l;
    HeadFeatures f;
    f.eyeX = ScreenX(samples[eyeAt].p) + dy * 4.0;
    f.eyeY = ScreenY(samples[eyeAt].p) - Abs(dx) * 4.0;
    f.tipX = ScreenX(tip.p) + dx * 4.0;
    f.tipY = ScreenY(tip.p) + dy * 4.0;
    f.dirX = dx;
    f.dirY = dy;
    return f;
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    double vx = bx - ax, vy = by - ay;
    double t = Clamp01(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy));
    double ex = px - ax - vx * t, ey = py - ay - vy * t;
    return Sqrt(ex * ex + ey * ey);
}

// Colour of the eye or tongue at a point, or false where there is neither.
bool HeadDetail(const HeadFeatures& f, double x, double y, Colour* out)
{
    double ex = x - f.eyeX, ey = y - f.eyeY;
    double er = Sqrt(ex * ex + ey * ey);
    if (er < 3.4) {
        if (er > 2.7) {
            *out = Rgb(40, 20, 4);
        } else if (Abs(ex) < 0.65 && er < 2.6) {
            *out = Rgb(10, 6, 2);  // the slit pupil
        } else {
            *out = Mix(Rgb(255, 120, 30), Rgb(180, 30, 10), Clamp01(er / 2.7));
            if ((ex + 1.0) * (ex + 1.0) + (ey + 1.1) * (ey + 1.1) < 0.6) *out = Rgb(255, 250, 230);
        }
        return true;
    }
    // A forked tongue flicking out ahead of the snout.
    double px = -f.dirY, py = f.dirX;
    double bx = f.tipX + f.dirX * 9.0, by = f.tipY + f.dirY * 9.0;
    double d = SegmentDistance(x, y, f.tipX, f.tipY, bx, by);
    double d1 = SegmentDistance(x, y, bx, by, bx + f.dirX * 5.0 + px * 3.0, by + f.dirY * 5.0 + py * 3.0);
    double d2 = SegmentDistance(x, y, bx, by, bx + f.dirX * 5.0 - px * 3.0, by + f.dirY * 5.0 - py * 3.0);
    if (d < 0.85 || d1 < 0.7 || d2 < 0.7) {
        *out = Rgb(200, 26, 30);
        return true;
    }
    return false;
}

// The mouth: a dark line from the snout back along the lower jaw. Drawn
// only on the head itself.
bool Mouth(const HeadFeatures& f, double x, double y)
{
    double px = -f.dirY, py = f.dirX;
    if (py < 0) {  // the side of the head that faces down on the screen
        px = -px;
        py = -py;
    }
    double ax = f.tipX - f.dirX * 3.0 + px * 1.5, ay = f.tipY - f.dirY * 3.0 + py * 1.5;
    double bx = f.tipX - f.dirX * 17.0 + px * 3.5, by = f.tipY - f.dirY * 17.0 + py * 3.5;
    return SegmentDistance(x, y, ax, ay, bx, by) < 0.55;
}

Colour Scene(double x, double y, const ShadowMap& shadow)
{
    Colour c = OnFront(x, y) ? BoxFront(x, y) : (OnLid(x, y) ? BoxLid(x, y) : Drapery(x, y));
    return Scale(c, 1.0 - 0.55 * shadow.At(x, y));
}

// Shadows fall down and to the right of the snake, on whatever lies behind it.
void CastShadows(const std::vector<Sample>& samples, ShadowMap* shadow)
{
    for (size_t i = 0; i < samples.size(); i += 3) {
        const Sample& p = samples[i];
        double sx = ScreenX(p.p) + 6.0, sy = ScreenY(p.p) + 8.0;
        double behind = OnFront(sx, sy) ? 0.0 : (OnLid(sx, sy) ? LidDepth(sy) : -1e6);
        if (p.p.z + p.radius < behind) continue;  // hidden behind the box: no shadow on its face
        shadow->Add(sx, sy, p.radius * (1.0 + kShrink * p.p.z), 0.8);
    }
}

// --------------------------------------------------------------- overlays

void DrawLevelBox(Canvas& c)
{
    // A brass frame round the black box the level is printed into.
    for (int y = 106; y < 134; ++y)
        for (int x = 296; x < 344; ++x) {
            Colour b = BrassPlate(x + 0.5, y + 0.5, 106);
            if (x == 296 || y == 106) b = Mix(b, Rgb(255, 240, 190), 0.5);
            if (x == 343 || y == 133) b = Scale(b, 0.55);
            if (x == 299 || y == 109) b = Scale(b, 0.45);
            c.Set(x, y, b);
        }
    c.Fill(300, 110, 340, 130, Rgb(0, 0, 0));
}

Colour Gold(double y, double top, double height)
{
    double t = Clamp01((y - top) / height);
    const Colour hi = Rgb(255, 238, 160), mid = Rgb(236, 178, 56), lo = Rgb(140, 88, 20);
    return t < 0.45 ? Mix(hi, mid, t / 0.45) : Mix(mid, lo, (t - 0.45) / 0.55);
}

bool DrawLabels(TextRenderer& text, Canvas& c, std::string* error)
{
    TextMask title, level;
    if (!text.Render(Face::kSerifBold, 34, "Lorvex", &title, error)) return false;
    if (!text.Render(Face::kSerifBold, 14, "Level", &level, error)) return false;
    int inkW = title.inkRight - title.inkLeft, inkH = title.inkBottom - title.inkTop;
    int tx = (kW - inkW) / 2 - title.inkLeft, ty = 14 - title.inkTop;
    double top = ty + title.inkTop;
    DrawMask(c, title, tx + 2, ty + 3, Rgb(2, 16, 6));
    DrawMask(c, title, tx, ty, [&](int, int y) { return Gold(y, top, inkH); });
    int lh = level.inkBottom - level.inkTop;
    int lx = 290 - level.inkRight, ly = 120 - lh / 2 - level.inkTop;
    // Carved into the rail: dark below the letters, gold on top.
    DrawMask(c, level, lx + 1, ly + 1, Rgb(44, 20, 6));
    DrawMask(c, level, lx, ly, [&](int, int y) { return Gold(y, ly + level.inkTop, lh); });
    return true;
}

}  // namespace

bool DrawMenu(TextRenderer& text, Canvas* out, std::string* error)
{
    Canvas c(kW, 630);
    SnakeLayer snake;
    snake.Render();
    HeadFeatures head = FindHead(snake.Samples(), snake.HeadStart());
    ShadowMap shadow;
    CastShadows(snake.Samples(), &shadow);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            Colour sum;
            for (int sy = 0; sy < kSs; ++sy)
                for (int sx = 0; sx < kSs; ++sx) {
                    double px = x + (sx + 0.5) / kSs, py = y + (sy + 0.5) / kSs;
                    const Hit& h = snake.At(x * kSs + sx, y * kSs + sy);
                    Colour col;
                    if (HeadDetail(head, px, py, &col) && (h.s > snake.HeadStart() || h.depth < -1e8f)) {
                    } else if (h.depth > -1e8f) {
                        col = ShadeSnake(h, snake.HeadStart());
                        if (h.s > snake.HeadStart() && Mouth(head, px, py)) col = Scale(col, 0.35);
                    } else {
                        col = Scene(px, py, shadow);
                    }
                    sum = Add(sum, col);
                }
            c.Set(x, y, Scale(sum, 1.0 / (kSs * kSs)));
        }
    DrawLevelBox(c);
    if (!DrawLabels(text, c, error)) return false;
    static const char* kLabels[5] = {"One player", "Two players", "Match", "About", "Exit"};
    for (int i = 0; i < 5; ++i)
        if (!DrawButtonStrip(text, c, 480 + 30 * i, kLabels[i], 500u + i, error)) return false;
    *out = std::move(c);
    return true;
}

}  // namespace pm
