#include "spectrum/blockfft256.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define WIDE __attribute__((target("avx2")))

namespace {

WIDE inline __m256d roundToFloat(__m256d v)
{
    return _mm256_cvtps_pd(_mm256_cvtpd_ps(v));
}

WIDE inline __m256d loadFloats(const float *p)
{
    return _mm256_cvtps_pd(_mm_loadu_ps(p));
}

WIDE inline void storeFloats(float *p, __m256d v)
{
    _mm_storeu_ps(p, _mm256_cvtpd_ps(v));
}

// b times the twiddle (ur, ui), lane by lane, as one butterfly computes it.
WIDE inline void twiddled(__m256d br, __m256d bi, __m256d ur, __m256d ui, __m256d &tr, __m256d &ti)
{
    tr = _mm256_sub_pd(_mm256_mul_pd(br, ur), _mm256_mul_pd(bi, ui));
    ti = _mm256_add_pd(_mm256_mul_pd(br, ui), _mm256_mul_pd(bi, ur));
}

// Four butterflies of one stage: points a[0..3] with b[0..3].
WIDE inline void butterflies(float *ar, float *ai, float *br, float *bi, const double *wr, const double *wi)
{
    const __m256d xr = loadFloats(ar), xi = loadFloats(ai);
    __m256d tr, ti;
    twiddled(loadFloats(br), loadFloats(bi), _mm256_loadu_pd(wr), _mm256_loadu_pd(wi), tr, ti);
    storeFloats(br, _mm256_sub_pd(xr, tr));
    storeFloats(bi, _mm256_sub_pd(xi, ti));
    storeFloats(ar, _mm256_add_pd(xr, tr));
    storeFloats(ai, _mm256_add_pd(xi, ti));
}

// Transposes 8 rows of 8 floats: lane l of row q becomes lane q of row l.
WIDE inline void transpose(__m256 v[8])
{
    __m256 t[8], u[8];
    for (int i = 0; i < 8; i += 2) {
        t[i] = _mm256_unpacklo_ps(v[i], v[i + 1]);
        t[i + 1] = _mm256_unpackhi_ps(v[i], v[i + 1]);
    }
    for (int i = 0; i < 8; i += 4) {
        u[i] = _mm256_shuffle_ps(t[i], t[i + 2], 0x44);
        u[i + 1] = _mm256_shuffle_ps(t[i], t[i + 2], 0xEE);
        u[i + 2] = _mm256_shuffle_ps(t[i + 1], t[i + 3], 0x44);
        u[i + 3] = _mm256_shuffle_ps(t[i + 1], t[i + 3], 0xEE);
    }
    for (int i = 0; i < 4; ++i) {
        v[i] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x20);
        v[i + 4] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x31);
    }
}

// The twiddles of the stages joining points 2 and 4 apart, lane by lane
// over a row of 8 points as two halves of 4.
struct RowTwiddles {
    __m256d wr2, wi2;   // lanes 0..3: factors 0, 1, 0, 1
    __m256d wr4, wi4;   // lanes 0..3: factors 0..3
};

WIDE RowTwiddles rowTwiddles(const FftPlan &plan)
{
    const double *r2 = plan.twiddleRe(2), *i2 = plan.twiddleIm(2);
    return {_mm256_setr_pd(r2[0], r2[1], r2[0], r2[1]), _mm256_setr_pd(i2[0], i2[1], i2[0], i2[1]),
            _mm256_loadu_pd(plan.twiddleRe(4)), _mm256_loadu_pd(plan.twiddleIm(4))};
}

// The stage joining points 2 apart within 4 points: lanes 0, 1 keep the
// sums, lanes 2, 3 the differences.
WIDE inline void stageOfTwo(__m256d &re, __m256d &im, const RowTwiddles &w)
{
    const __m256d ar = _mm256_permute4x64_pd(re, 0x44), ai = _mm256_permute4x64_pd(im, 0x44);
    __m256d tr, ti;
    twiddled(_mm256_permute4x64_pd(re, 0xEE), _mm256_permute4x64_pd(im, 0xEE), w.wr2, w.wi2, tr, ti);
    re = _mm256_blend_pd(_mm256_add_pd(ar, tr), _mm256_sub_pd(ar, tr), 0xC);
    im = _mm256_blend_pd(_mm256_add_pd(ai, ti), _mm256_sub_pd(ai, ti), 0xC);
}

// The first three stages on 8 points in their transform order, whose
// imaginary parts are 0; stored to re and im.
WIDE inline void firstStages(__m256 v, const RowTwiddles &w, float *re, float *im)
{
    // The first stage joins neighbours with the twiddle 1: on imaginary
    // parts 0 its double sums, rounded, are the float sums (a double holds
    // more than twice a float's digits, so rounding twice changes nothing),
    // and the imaginary parts stay +0.
    const __m256 swapped = _mm256_permute_ps(v, 0xB1);
    v = _mm256_blend_ps(_mm256_add_ps(v, swapped), _mm256_sub_ps(swapped, v), 0xAA);
    __m256d r[2], i[2];
    for (int half = 0; half < 2; ++half) {
        r[half] = _mm256_cvtps_pd(half == 0 ? _mm256_castps256_ps128(v) : _mm256_extractf128_ps(v, 1));
        i[half] = _mm256_setzero_pd();
        stageOfTwo(r[half], i[half], w);
        r[half] = roundToFloat(r[half]);
        i[half] = roundToFloat(i[half]);
    }
    __m256d tr, ti;
    twiddled(r[1], i[1], w.wr4, w.wi4, tr, ti);
    storeFloats(re, _mm256_add_pd(r[0], tr));
    storeFloats(im, _mm256_add_pd(i[0], ti));
    storeFloats(re + 4, _mm256_sub_pd(r[0], tr));
    storeFloats(im + 4, _mm256_sub_pd(i[0], ti));
}

// Point k of the transform order takes input from[k]: for k = 8m + l that
// is from[8m] + from[l], so the 8 points of row m are one column of the
// input seen as rows of n/8, taken in the order from[0..7].
WIDE void transform(const FftPlan &plan, const float *x, const int32_t *from, const float *window, float *re,
                    float *im, float *outRe, float *outIm)
{
    const int32_t n = plan.size();
    const RowTwiddles w = rowTwiddles(plan);
    for (int32_t column = 0; column < n / 8; column += 8) {
        __m256 v[8];
        for (int l = 0; l < 8; ++l)
            v[l] = _mm256_mul_ps(_mm256_loadu_ps(x + from[l] + column),
                                 _mm256_loadu_ps(window + from[l] + column));
        transpose(v);
        for (int q = 0; q < 8; ++q) {
            const int32_t row = from[8 * (column + q)];
            firstStages(v[q], w, re + 8 * row, im + 8 * row);
        }
    }
    for (int32_t half = 8; half < n / 2; half *= 2) {
        const double *wr = plan.twiddleRe(half), *wi = plan.twiddleIm(half);
        for (int32_t g = 0; g < n; g += 2 * half)
            for (int32_t j = 0; j < half; j += 4)
                butterflies(re + g + j, im + g + j, re + g + half + j, im + g + half + j, wr + j, wi + j);
    }
    // The last stage: only its sums are wanted.
    const int32_t half = n / 2;
    const double *wr = plan.twiddleRe(half), *wi = plan.twiddleIm(half);
    for (int32_t j = 0; j < half; j += 4) {
        __m256d tr, ti;
        twiddled(loadFloats(re + half + j), loadFloats(im + half + j), _mm256_loadu_pd(wr + j),
                 _mm256_loadu_pd(wi + j), tr, ti);
        storeFloats(outRe + j, _mm256_add_pd(loadFloats(re + j), tr));
        storeFloats(outIm + j, _mm256_add_pd(loadFloats(im + j), ti));
    }
}

} // namespace

bool hasBlockTransform256()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

void blockTransform256(const FftPlan &plan, const float *x, const int32_t *from, const float *window,
                       float *re, float *im, float *outRe, float *outIm)
{
    transform(plan, x, from, window, re, im, outRe, outIm);
}
#else
bool hasBlockTransform256()
{
    return false;
}

void blockTransform256(const FftPlan &, const float *, const int32_t *, const float *, float *, float *,
                       float *, float *)
{
}
#endif
