#pragma once

// Elementary functions built only from +, -, *, / and sqrt, which IEEE 754
// rounds the same way everywhere. The pictures are committed byte for byte,
// so they must not depend on the libm of the machine that draws them.

#include <cmath>
#include <cstdint>

namespace pm {

constexpr double kPi = 3.14159265358979323846;

inline double Floor(double x)
{
    return std::floor(x);
}  // exact on every platform
inline double Sqrt(double x)
{
    return x > 0.0 ? std::sqrt(x) : 0.0;
}
inline double Clamp(double x, double lo, double hi)
{
    return x < lo ? lo : (x > hi ? hi : x);
}
inline double Clamp01(double x)
{
    return Clamp(x, 0.0, 1.0);
}
inline double Mix(double a, double b, double t)
{
    return a + (b - a) * t;
}
inline double Abs(double x)
{
    return x < 0.0 ? -x : x;
}
inline double Smoothstep(double e0, double e1, double x)
{
    double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

inline double Sin(double x)
{
    // Reduce to [-pi, pi], then to [-pi/2, pi/2], then a Taylor series that
    // is accurate far beyond what 8-bit colour needs.
    double k = Floor(x / (2.0 * kPi) + 0.5);
    x -= k * 2.0 * kPi;
    if (x > kPi / 2.0) x = kPi - x;
    if (x < -kPi / 2.0) x = -kPi - x;
    double x2 = x * x;
    double term = x, sum = x;
    for (int n = 1; n < 12; ++n) {
        term *= -x2 / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}

inline double Cos(double x)
{
    return Sin(x + kPi / 2.0);
}

inline double Atan(double x)
{
    bool neg = x < 0.0;
    if (neg) x = -x;
    bool inv = x > 1.0;
    if (inv) x = 1.0 / x;
    // Two half-angle steps bring x below tan(pi/16), where the series is fast.
    x = x / (1.0 + Sqrt(1.0 + x * x));
    x = x / (1.0 + Sqrt(1.0 + x * x));
    double x2 = x * x, term = x, sum = x;
    for (int n = 1; n < 14; ++n) {
        term *= -x2;
        sum += term / (2.0 * n + 1.0);
    }
    sum *= 4.0;
    if (inv) sum = kPi / 2.0 - sum;
    return neg ? -sum : sum;
}

inline double Atan2(double y, double x)
{
    if (x > 0.0) return Atan(y / x);
    if (x < 0.0) return y >= 0.0 ? Atan(y / x) + kPi : Atan(y / x) - kPi;
    if (y > 0.0) return kPi / 2.0;
    if (y < 0.0) return -kPi / 2.0;
    return 0.0;
}

inline double Exp(double x)
{
    if (x < -700.0) return 0.0;
    if (x > 700.0) x = 700.0;
    constexpr double kLn2 = 0.69314718055994530942;
    double k = Floor(x / kLn2 + 0.5);
    double r = x - k * kLn2;
    double term = 1.0, sum = 1.0;
    for (int n = 1; n < 20; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));  // exact scaling by 2^k
}

// Integer hash of a lattice point: the root of all noise in the pictures.
inline uint32_t Hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

inline double Hash01(int32_t x, int32_t y, uint32_t seed)
{
    return (Hash(x, y, seed) >> 8) * (1.0 / 16777216.0);
}

// Smooth value noise in [0, 1].
inline double ValueNoise(double x, double y, uint32_t seed)
{
    double fx = Floor(x), fy = Floor(y);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0 - 2.0 * tx);
    ty = ty * ty * (3.0 - 2.0 * ty);
    double a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
    double c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
    return Mix(Mix(a, b, tx), Mix(c, d, tx), ty);
}

// Fractal sum of value noise, roughly in [0, 1].
inline double Fbm(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0.0, amp = 0.5, norm = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * ValueNoise(x, y, seed + 101u * i);
        norm += amp;
        x = x * 2.03 + 17.1;
        y = y * 2.03 - 9.7;
        amp *= 0.5;
    }
    return sum / norm;
}

// Small fixed-seed generator for scattered details.
class XorShift {
public:
    explicit XorShift(uint32_t seed) : state_(seed ? seed : 0x1234567u) {}
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }  // [0, 1)
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

private:
    uint32_t state_;
};

}  // namespace pm
