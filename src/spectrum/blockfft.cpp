#include "spectrum/blockfft.h"

#include "spectrum/blockfft256.h"

#include <algorithm>

namespace {

void addPowersPlain(float *sums, const float *re, const float *im, int32_t count, double scale)
{
    for (int32_t k = 0; k < count; ++k) {
        const double a = re[k] * scale;
        const double d = im[k] * scale;
        sums[k] = static_cast<float>((sums[k] + a * a) + d * d);
    }
}

} // namespace

// Where the processor has 512-bit registers, eight butterflies run at once.
// Each lane does what the plain code does for its point, operation for
// operation and in double precision with each stored value rounded to
// float, so the values are the same bits (the build never fuses a multiply
// and an add).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#if !defined(__clang__)
// GCC 12 warns of the placeholder operand in its own 512-bit intrinsics.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#define WIDE __attribute__((target("avx512f")))

namespace {

bool hasWide()
{
    static const bool has = __builtin_cpu_supports("avx512f");
    return has;
}

WIDE inline __m512d roundToFloat(__m512d v)
{
    return _mm512_cvtps_pd(_mm512_cvtpd_ps(v));
}

WIDE inline __m512d loadFloats(const float *p)
{
    return _mm512_cvtps_pd(_mm256_loadu_ps(p));
}

WIDE inline void storeFloats(float *p, __m512d v)
{
    _mm256_storeu_ps(p, _mm512_cvtpd_ps(v));
}

// A stage whose butterflies join points `half` = 2 or 4 apart, on a row of
// 8 points held in registers: each lane takes its butterfly's first and
// second point from the lanes the shuffles below give it, with that
// butterfly's twiddle (wr, wi); lanes in `minus` keep the difference, the
// others the sum.
struct RowStage {
    int half;
    __mmask8 minus;
    __m512d wr, wi;
};

template <int half>
WIDE inline __m512d firstOf(__m512d v)
{
    // Points 0, 1 of each 4 (half 2) or points 0..3 of the 8 (half 4), twice.
    return half == 2 ? _mm512_permutex_pd(v, 0x44) : _mm512_shuffle_f64x2(v, v, 0x44);
}

template <int half>
WIDE inline __m512d secondOf(__m512d v)
{
    return half == 2 ? _mm512_permutex_pd(v, 0xEE) : _mm512_shuffle_f64x2(v, v, 0xEE);
}

template <int half>
WIDE inline void rowStage(__m512d &re, __m512d &im, const RowStage &s)
{
    const __m512d ar = firstOf<half>(re), ai = firstOf<half>(im);
    const __m512d br = secondOf<half>(re), bi = secondOf<half>(im);
    const __m512d tr = _mm512_sub_pd(_mm512_mul_pd(br, s.wr), _mm512_mul_pd(bi, s.wi));
    const __m512d ti = _mm512_add_pd(_mm512_mul_pd(br, s.wi), _mm512_mul_pd(bi, s.wr));
    re = _mm512_mask_sub_pd(_mm512_add_pd(ar, tr), s.minus, ar, tr);
    im = _mm512_mask_sub_pd(_mm512_add_pd(ai, ti), s.minus, ai, ti);
}

WIDE RowStage rowStage(const FftPlan &plan, int32_t half)
{
    alignas(64) double wr[8], wi[8];
    __mmask8 minus = 0;
    for (int l = 0; l < 8; ++l) {
        const int j = l % half;
        if (l % (2 * half) >= half)
            minus |= static_cast<__mmask8>(1 << l);
        wr[l] = plan.twiddleRe(half)[j];
        wi[l] = plan.twiddleIm(half)[j];
    }
    return {half, minus, _mm512_load_pd(wr), _mm512_load_pd(wi)};
}

// Eight butterflies of one stage: points a[0..7] with b[0..7].
WIDE inline void butterflies(float *ar, float *ai, float *br, float *bi, const double *wr,
                             const double *wi)
{
    const __m512d xr = loadFloats(ar), xi = loadFloats(ai);
    const __m512d yr = loadFloats(br), yi = loadFloats(bi);
    const __m512d ur = _mm512_loadu_pd(wr), ui = _mm512_loadu_pd(wi);
    const __m512d tr = _mm512_sub_pd(_mm512_mul_pd(yr, ur), _mm512_mul_pd(yi, ui));
    const __m512d ti = _mm512_add_pd(_mm512_mul_pd(yr, ui), _mm512_mul_pd(yi, ur));
    storeFloats(br, _mm512_sub_pd(xr, tr));
    storeFloats(bi, _mm512_sub_pd(xi, ti));
    storeFloats(ar, _mm512_add_pd(xr, tr));
    storeFloats(ai, _mm512_add_pd(xi, ti));
}

// Transposes 16 rows of 16 floats: lane l of row q becomes lane q of row l.
WIDE inline void transpose(__m512 v[16])
{
    __m512 t[16];
    for (int i = 0; i < 16; i += 2) {
        t[i] = _mm512_unpacklo_ps(v[i], v[i + 1]);
        t[i + 1] = _mm512_unpackhi_ps(v[i], v[i + 1]);
    }
    // Row 4i + c: rows 4i..4i+3 at columns c, c+4, c+8, c+12.
    for (int i = 0; i < 16; i += 4) {
        const __m512d a = _mm512_castps_pd(t[i]), b = _mm512_castps_pd(t[i + 1]);
        const __m512d c = _mm512_castps_pd(t[i + 2]), d = _mm512_castps_pd(t[i + 3]);
        v[i] = _mm512_castpd_ps(_mm512_unpacklo_pd(a, c));
        v[i + 1] = _mm512_castpd_ps(_mm512_unpackhi_pd(a, c));
        v[i + 2] = _mm512_castpd_ps(_mm512_unpacklo_pd(b, d));
        v[i + 3] = _mm512_castpd_ps(_mm512_unpackhi_pd(b, d));
    }
    for (int c = 0; c < 4; ++c) {
        const __m512 u = _mm512_shuffle_f32x4(v[c], v[4 + c], 0x88);
        const __m512 w = _mm512_shuffle_f32x4(v[c], v[4 + c], 0xDD);
        const __m512 u2 = _mm512_shuffle_f32x4(v[8 + c], v[12 + c], 0x88);
        const __m512 w2 = _mm512_shuffle_f32x4(v[8 + c], v[12 + c], 0xDD);
        t[c] = _mm512_shuffle_f32x4(u, u2, 0x88);
        t[c + 8] = _mm512_shuffle_f32x4(u, u2, 0xDD);
        t[c + 4] = _mm512_shuffle_f32x4(w, w2, 0x88);
        t[c + 12] = _mm512_shuffle_f32x4(w, w2, 0xDD);
    }
    for (int i = 0; i < 16; ++i)
        v[i] = t[i];
}

// The first three stages on 16 points in their transform order, whose
// imaginary parts are 0; stored to re and im.
WIDE inline void firstStages(__m512 v, const RowStage &second, const RowStage &third, float *re,
                             float *im)
{
    // The first stage joins neighbours with the twiddle 1: on imaginary
    // parts 0 its double sums, rounded, are the float sums (a double holds
    // more than twice a float's digits, so rounding twice changes nothing),
    // and the imaginary parts stay +0.
    const __m512 swapped = _mm512_permute_ps(v, 0xB1);
    v = _mm512_mask_sub_ps(_mm512_add_ps(v, swapped), 0xAAAA, swapped, v);
    for (int half = 0; half < 2; ++half) {
        __m512d r = _mm512_cvtps_pd(half == 0 ? _mm512_castps512_ps256(v)
                                              : _mm256_castpd_ps(_mm512_extractf64x4_pd(
                                                    _mm512_castps_pd(v), 1)));
        __m512d i = _mm512_setzero_pd();
        rowStage<2>(r, i, second);
        r = roundToFloat(r);
        i = roundToFloat(i);
        rowStage<4>(r, i, third);
        storeFloats(re + 8 * half, r);
        storeFloats(im + 8 * half, i);
    }
}

// The whole block, its samples all inside; n at least 256. Point k of the
// transform order takes input from[k]: for k = 16m + l that is from[16m] +
// from[l], so the 16 points of row m are one column of the input seen as
// rows of n/16, taken in the order from[0..15]. re and im hold n floats of
// work space; the last stage writes only its sums, points 0..n/2-1, to
// outRe and outIm.
WIDE void transformWide(const FftPlan &plan, const float *x, const int32_t *from,
                        const float *window, float *re, float *im, float *outRe, float *outIm)
{
    const int32_t n = plan.size();
    const RowStage second = rowStage(plan, 2), third = rowStage(plan, 4);
    for (int32_t column = 0; column < n / 16; column += 16) {
        __m512 v[16];
        for (int l = 0; l < 16; ++l)
            v[l] = _mm512_mul_ps(_mm512_loadu_ps(x + from[l] + column),
                                 _mm512_loadu_ps(window + from[l] + column));
        transpose(v);
        for (int q = 0; q < 16; ++q) {
            const int32_t row = from[16 * (column + q)];
            firstStages(v[q], second, third, re + 16 * row, im + 16 * row);
        }
    }
    for (int32_t half = 8; half < n / 2; half *= 2) {
        const double *wr = plan.twiddleRe(half), *wi = plan.twiddleIm(half);
        for (int32_t g = 0; g < n; g += 2 * half)
            for (int32_t j = 0; j < half; j += 8)
                butterflies(re + g + j, im + g + j, re + g + half + j, im + g + half + j, wr + j,
                            wi + j);
    }
    const int32_t half = n / 2;
    const double *wr = plan.twiddleRe(half), *wi = plan.twiddleIm(half);
    for (int32_t j = 0; j < half; j += 8) {
        const __m512d xr = loadFloats(re + j), xi = loadFloats(im + j);
        const __m512d yr = loadFloats(re + half + j), yi = loadFloats(im + half + j);
        const __m512d ur = _mm512_loadu_pd(wr + j), ui = _mm512_loadu_pd(wi + j);
        const __m512d tr = _mm512_sub_pd(_mm512_mul_pd(yr, ur), _mm512_mul_pd(yi, ui));
        const __m512d ti = _mm512_add_pd(_mm512_mul_pd(yr, ui), _mm512_mul_pd(yi, ur));
        storeFloats(outRe + j, _mm512_add_pd(xr, tr));
        storeFloats(outIm + j, _mm512_add_pd(xi, ti));
    }
}

WIDE void addPowersWide(float *sums, const float *re, const float *im, int32_t count, double scale)
{
    const __m512d c = _mm512_set1_pd(scale);
    int32_t k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m512d a = _mm512_mul_pd(loadFloats(re + k), c);
        const __m512d d = _mm512_mul_pd(loadFloats(im + k), c);
        const __m512d sum = _mm512_add_pd(loadFloats(sums + k), _mm512_mul_pd(a, a));
        storeFloats(sums + k, _mm512_add_pd(sum, _mm512_mul_pd(d, d)));
    }
    addPowersPlain(sums + k, re + k, im + k, count - k, scale);
}

} // namespace
#else
namespace {
bool hasWide() { return false; }
void addPowersWide(float *sums, const float *re, const float *im, int32_t count, double scale)
{
    addPowersPlain(sums, re, im, count, scale);
}
void transformWide(const FftPlan &, const float *, const int32_t *, const float *, float *,
                   float *, float *, float *)
{
}
} // namespace
#endif

BlockFft::BlockFft(int32_t n, const std::vector<float> &window)
    : plan_(n), window_(window), from_(n), re_(n), im_(n)
{
    // The reordering exchanges pairs of points, so the point placed at k
    // comes from input k's place.
    for (int32_t k = 0; k < n; ++k)
        from_[k] = plan_.reversed(k);
}

void BlockFft::transform(const float *x, int32_t inside, float *re, float *im)
{
    const int32_t n = size();
    if (inside == n && n >= 256 && hasWide()) {
        transformWide(plan_, x, from_.data(), window_.data(), re_.data(), im_.data(), re, im);
        return;
    }
    if (inside == n && n >= 256 && hasBlockTransform256()) {
        blockTransform256(plan_, x, from_.data(), window_.data(), re_.data(), im_.data(), re, im);
        return;
    }
    std::fill(im_.begin(), im_.end(), 0.0f);
    if (inside < n)
        std::fill(re_.begin(), re_.end(), 0.0f);
    for (int32_t t = 0; t < inside; ++t)
        re_[plan_.reversed(t)] = x[t] * window_[t];
    plan_.transformReordered(re_.data(), im_.data());
    std::copy_n(re_.begin(), n / 2, re);
    std::copy_n(im_.begin(), n / 2, im);
}

void addLinePowers(float *sums, const float *re, const float *im, int32_t count, double scale)
{
    if (hasWide())
        addPowersWide(sums, re, im, count, scale);
    else
        addPowersPlain(sums, re, im, count, scale);
}
