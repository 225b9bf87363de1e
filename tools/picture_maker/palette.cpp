// Palette construction: a variance-minimising median cut over the colours
// actually drawn, refined by a few rounds of k-means. Integer arithmetic
// and total orders throughout, so the result is the same on every machine.

#include <algorithm>
#include <unordered_map>

#include "indexed.h"

namespace pm {
namespace {

constexpr int kBlack = 0, kWhite = 1, kKey = 2, kPink = 3, kFirstFree = 4;
constexpr int kWeight[3] = {3, 4, 2};  // the eye is most sensitive to green

struct Bin {
    uint32_t rgb;
    int64_t count;
};

int Channel(uint32_t rgb, int axis)
{
    return static_cast<int>((rgb >> (16 - 8 * axis)) & 0xFF);
}
uint32_t Pack(const Rgb8& c)
{
    return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
}
Rgb8 Unpack(uint32_t v)
{
    return Rgb8{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

int64_t Distance(uint32_t a, uint32_t b)
{
    int64_t d = 0;
    for (int k = 0; k < 3; ++k) {
        int64_t e = Channel(a, k) - Channel(b, k);
        d += kWeight[k] * e * e;
    }
    return d;
}

struct Stats {
    int64_t n = 0, s[3] = {0, 0, 0}, q[3] = {0, 0, 0};
    void Add(const Bin& b, int sign = 1)
    {
        n += sign * b.count;
        for (int k = 0; k < 3; ++k) {
            int64_t v = Channel(b.rgb, k);
            s[k] += sign * b.count * v;
            q[k] += sign * b.count * v * v;
        }
    }
    int64_t AxisError(int k) const { return n == 0 ? 0 : kWeight[k] * (q[k] - s[k] * s[k] / n); }
    int64_t Error() const { return AxisError(0) + AxisError(1) + AxisError(2); }
};

struct Box {
    size_t begin, end;
    int64_t error;
};

Stats Measure(const std::vector<Bin>& bins, size_t begin, size_t end)
{
    Stats st;
    for (size_t i = begin; i < end; ++i) st.Add(bins[i]);
    return st;
}

// Splits box into two along its widest axis where the summed error is least.
bool Split(std::vector<Bin>& bins, const Box& box, Box* left, Box* right)
{
    if (box.end - box.begin < 2) return false;
    Stats all = Measure(bins, box.begin, box.end);
    int axis = 0;
    for (int k = 1; k < 3; ++k)
        if (all.AxisError(k) > all.AxisError(axis)) axis = k;
    std::sort(bins.begin() + box.begin, bins.begin() + box.end, [axis](const Bin& a, const Bin& b) {
        int ca = Channel(a.rgb, axis), cb = Channel(b.rgb, axis);
        return ca != cb ? ca < cb : a.rgb < b.rgb;
    });
    Stats lo, hi = all;
    int64_t best = -1;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
        lo.Add(bins[i]);
        hi.Add(bins[i], -1);
        int64_t e = lo.Error() + hi.Error();
        if (best < 0 || e < best) {
            best = e;
            cut = i + 1;
        }
    }
    *left = Box{box.begin, cut, Measure(bins, box.begin, cut).Error()};
    *right = Box{cut, box.end, Measure(bins, cut, box.end).Error()};
    return true;
}

uint32_t Mean(const std::vector<Bin>& bins, size_t begin, size_t end)
{
    Stats st = Measure(bins, begin, end);
    uint32_t v = 0;
    for (int k = 0; k < 3; ++k) v = (v << 8) | static_cast<uint32_t>((st.s[k] + st.n / 2) / st.n);
    return v;
}

size_t Nearest(uint32_t rgb, const std::vector<uint32_t>& centres)
{
    size_t best = 0;
    int64_t bestD = Distance(rgb, centres[0]);
    for (size_t i = 1; i < centres.size(); ++i) {
        int64_t d = Distance(rgb, centres[i]);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

std::vector<uint32_t> Quantise(std::vector<Bin> bins, size_t want)
{
    std::vector<uint32_t> centres;
    if (bins.empty()) return centres;
    if (bins.size() <= want) {
        for (const Bin& b : bins) centres.push_back(b.rgb);
        return centres;
    }
    std::vector<Box> boxes{Box{0, bins.size(), Measure(bins, 0, bins.size()).Error()}};
    while (boxes.size() < want) {
        size_t pick = boxes.size();
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].end - boxes[i].begin >= 2 && (pick == boxes.size() || boxes[i].error > boxes[pick].error))
                pick = i;
        if (pick == boxes.size()) break;
        Box l, r;
        if (!Split(bins, boxes[pick], &l, &r)) break;
        boxes[pick] = l;
        boxes.push_back(r);
    }
    for (const Box& b : boxes) centres.push_back(Mean(bins, b.begin, b.end));

    // Lloyd refinement: move each entry to the mean of the colours it serves.
    for (int round = 0; round < 4; ++round) {
        std::vector<Stats> acc(centres.size());
        for (const Bin& b : bins) acc[Nearest(b.rgb, centres)].Add(b);
        for (size_t i = 0; i < centres.size(); ++i) {
            if (acc[i].n == 0) continue;
            uint32_t v = 0;
            for (int k = 0; k < 3; ++k) v = (v << 8) | static_cast<uint32_t>((acc[i].s[k] + acc[i].n / 2) / acc[i].n);
            centres[i] = v;
        }
    }
    std::sort(centres.begin(), centres.end());
    centres.erase(std::unique(centres.begin(), centres.end()), centres.end());
    return centres;
}

}  // namespace

Palette BuildPalette(const std::vector<const Canvas*>& canvases, int greyRamp)
{
    Palette pal;
    for (Rgb8& e : pal.entry) e = Rgb8{0, 0, 0};
    pal.entry[kBlack] = Rgb8{0, 0, 0};
    pal.entry[kWhite] = Rgb8{255, 255, 255};
    pal.entry[kKey] = kMagenta;
    pal.entry[kPink] = kDeepPink;

    std::vector<uint32_t> all;
    for (const Canvas* c : canvases)
        for (int y = 0; y < c->Height(); ++y)
            for (int x = 0; x < c->Width(); ++x) {
                if (c->IsKey(x, y)) continue;
                Rgb8 v = c->Final(x, y);
                if (v == Rgb8{0, 0, 0} || v == Rgb8{255, 255, 255} || v == kDeepPink) continue;
                if (greyRamp > 0 && v.r == v.g && v.g == v.b) continue;  // served by the ramp
                all.push_back(Pack(v));
            }
    std::sort(all.begin(), all.end());
    std::vector<Bin> bins;
    for (uint32_t v : all) {
        if (!bins.empty() && bins.back().rgb == v) ++bins.back().count;
        else bins.push_back(Bin{v, 1});
    }
    // Anti-aliased white text on black wants true greys, which a box cut
    // shared with coloured plates would tint.
    if (greyRamp < 0) greyRamp = 0;
    if (greyRamp > 128) greyRamp = 128;
    for (int i = 0; i < greyRamp; ++i) {
        uint8_t v = static_cast<uint8_t>((255 * (i + 1) + (greyRamp + 1) / 2) / (greyRamp + 1));
        pal.entry[kFirstFree + i] = Rgb8{v, v, v};
    }
    const int free = kFirstFree + greyRamp;
    std::vector<uint32_t> centres = Quantise(std::move(bins), 256 - free);
    for (size_t i = 0; i < centres.size(); ++i) {
        Rgb8 e = Unpack(centres[i]);
        // Keep clear of every colour a 16-bit display would turn into the key.
        if (e == kMagenta || IsNearMagenta(e)) e.g = 8;
        pal.entry[free + i] = e;
    }
    return pal;
}

IndexedImage MapToPalette(const Canvas& canvas, const Palette& pal)
{
    IndexedImage img;
    img.width = canvas.Width();
    img.height = canvas.Height();
    img.index.resize(static_cast<size_t>(img.width) * img.height);
    std::unordered_map<uint32_t, uint8_t> cache;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            uint8_t& out = img.index[static_cast<size_t>(y) * img.width + x];
            if (canvas.IsKey(x, y)) {
                out = kKey;
                continue;
            }
            uint32_t v = Pack(canvas.Final(x, y));
            auto it = cache.find(v);
            if (it != cache.end()) {
                out = it->second;
                continue;
            }
            // Magenta and deep pink serve only their exact colours; a true
            // grey stays grey when the palette has one close by.
            int best = -1;
            int64_t bestD = 0;
            Rgb8 in = Unpack(v);
            if (in.r == in.g && in.g == in.b) {
                for (int i = 0; i < 256; ++i) {
                    const Rgb8& e = pal.entry[i];
                    if (e.r != e.g || e.g != e.b) continue;
                    int64_t d = Distance(v, Pack(e));
                    if (best < 0 || d < bestD) {
                        best = i;
                        bestD = d;
                    }
                }
                if (bestD > 9 * 3 * 3) best = -1;
            }
            const bool greyFound = best >= 0;
            for (int i = 0; i < 256 && !greyFound; ++i) {
                if (i == kKey) continue;
                if (i == kPink && v != Pack(kDeepPink)) continue;
                if (IsNearMagenta(pal.entry[i])) continue;
                int64_t d = Distance(v, Pack(pal.entry[i]));
                if (best < 0 || d < bestD) {
                    best = i;
                    bestD = d;
                }
            }
            out = static_cast<uint8_t>(best);
            cache.emplace(v, out);
        }
    return img;
}

}  // namespace pm
