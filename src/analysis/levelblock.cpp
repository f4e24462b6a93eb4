// Levels of many mean squares at once, the same bits as LevelScale::level
// gives one at a time, in less than half its time.
//
// The level is float(10 * log(m / r2) / ln 10 - 29), each step rounded in
// double, with the library's logarithm, which takes one value at a time.
// Here every step is one the compiler can do four at a time: q = m / r2 as
// a product, a logarithm of it by a short series, and the level from the
// logarithm lowered and raised by `margin`, by a product again. The
// logarithm comes within 3e-13 of the library's (which is within an ulp of
// the true one), the product steps within 1e-12 dB of the library's
// quotients; `margin` allows more than a hundred times that. Every step
// keeps the order of its inputs, so when both ends round to the same float
// the library's level, which lies between them, is that float. Only a level
// within about 1e-9 dB of half way between two floats (a few in ten
// thousand) or a q near the ends of the double range (a silent lead-in's 0)
// is left to the library.
#include "analysis/levels.h"

#include <bit>
#include <cfloat>
#include <cstdint>

namespace {

constexpr int32_t blockValues = 256;
constexpr double margin = 1e-10;

// log(q) for a positive normal q, within 3e-13. q = 2^k z with z in
// [0.705, 1.41), and log z = 2 atanh(s) with s = (z - 1) / (z + 1), |s| <
// 0.18, summed to s^15 (the rest is below 2e-14). Garbage, but harmless, for
// any other q.
[[gnu::always_inline]] inline double nearLog(double q)
{
    constexpr uint64_t low = 0x3fe6955500000000;   // the bits of z's lower end
    constexpr uint64_t half = uint64_t{1} << 63;
    const uint64_t bits = std::bit_cast<uint64_t>(q);
    // k + 2048 in the top 12 bits, without a signed shift.
    const uint64_t biased = (bits + (half - low)) >> 52;
    const double k = std::bit_cast<double>(biased | 0x4330000000000000) - (0x1p52 + 2048);
    const double z = std::bit_cast<double>(bits - ((biased - 2048) << 52));
    const double s = (z - 1) / (z + 1);
    const double w = s * s;
    double p = 1.0 / 15;
    p = p * w + 1.0 / 13;
    p = p * w + 1.0 / 11;
    p = p * w + 1.0 / 9;
    p = p * w + 1.0 / 7;
    p = p * w + 1.0 / 5;
    p = p * w + 1.0 / 3;
    p = p * w + 1;
    return k * 0.6931471805599453 + 2 * s * p;
}

// Cloned for processors with 256-bit registers, with GCC on x86-64 only: a
// clang build with ThreadSanitizer crashes in the resolver that picks the
// clone, which runs before the sanitizer is ready.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define CLONED_WIDE [[gnu::target_clones("avx2", "default")]]
#else
#define CLONED_WIDE
#endif

// One block of at most blockValues levels; `missed` marks those the library
// must give.
CLONED_WIDE void nearLevels(const double *meanSquares, int32_t n, double r2, double ln10,
                            float *levels, uint8_t *missed)
{
    const double perR2 = 1 / r2, dbPerLog = 10 / ln10;
    double qs[blockValues], logs[blockValues];
    for (int32_t i = 0; i < n; ++i) {
        qs[i] = meanSquares[i] * perR2;
        logs[i] = nearLog(qs[i]);
    }
    for (int32_t i = 0; i < n; ++i) {
        const double q = qs[i];
        const float below = static_cast<float>((logs[i] - margin) * dbPerLog - 29);
        const float above = static_cast<float>((logs[i] + margin) * dbPerLog - 29);
        const bool inside = (q >= 4 * DBL_MIN) & (q <= DBL_MAX / 4);
        levels[i] = below;
        missed[i] = (below != above) | !inside;
    }
}

} // namespace

void LevelScale::levels(const double *meanSquares, int32_t n, float *out) const
{
    uint8_t missed[blockValues];
    for (int32_t from = 0; from < n; from += blockValues) {
        const int32_t count = std::min(blockValues, n - from);
        nearLevels(meanSquares + from, count, r2_, ln10_, out + from, missed);
        for (int32_t i = 0; i < count; ++i)
            if (missed[i])
                out[from + i] = level(meanSquares[from + i]);
    }
}
