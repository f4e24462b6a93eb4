#include "spectrum/fft.h"

#include <cmath>
#include <utility>

namespace {

int stageCount(int32_t n)
{
    return static_cast<int>(std::nearbyint(std::log(n) / std::log(2)));
}

} // namespace

FftPlan::FftPlan(int32_t n) : n_(n), reversed_(n > 0 ? n : 0)
{
    if (n < 1)
        return;
    // The bit-reversal exchanges of a running reversed counter, applied to
    // the identity, give where each point ends up.
    for (int32_t i = 0; i < n; ++i)
        reversed_[i] = i;
    const int32_t nd2 = n / 2;
    int32_t j = nd2;
    for (int32_t i = 1; i <= n - 2; ++i) {
        if (i < j)
            std::swap(reversed_[i], reversed_[j]);
        int32_t k = nd2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }

    // Each stage's twiddle starts at 1 and advances by one complex
    // multiplication per step; the table keeps every value it passes through.
    const double pi = 3.14159265;
    twiddles_.assign(n > 1 ? 2 * (n - 1) : 0, 0.0);
    for (int l = 1; l <= stageCount(n); ++l) {
        const int le2 = static_cast<int>(std::nearbyint(std::pow(2.0, l))) / 2;
        double ur = 1, ui = 0;
        const double sr = std::cos(pi / le2);
        const double si = -std::sin(pi / le2);
        for (int jj = 0; jj < le2; ++jj) {
            twiddles_[le2 - 1 + jj] = ur;
            twiddles_[n - 1 + le2 - 1 + jj] = ui;
            const double old = ur;
            ur = old * sr - ui * si;
            ui = old * si + ui * sr;
        }
    }
}

namespace {

// One butterfly: point b times the twiddle u, added to and taken from
// point a, in double, each result rounded to float.
inline __attribute__((always_inline)) void butterfly(float &ar, float &ai, float &br, float &bi,
                                                     double ur, double ui)
{
    const double tr = br * ur - bi * ui;
    const double ti = br * ui + bi * ur;
    const double xr = ar;
    const double xi = ai;
    br = static_cast<float>(xr - tr);
    bi = static_cast<float>(xi - ti);
    ar = static_cast<float>(xr + tr);
    ai = static_cast<float>(xi + ti);
}

// One stage's butterflies with half-length le2 >= 4 over all n points.
inline __attribute__((always_inline)) void stage(float *re, float *im, int32_t n, int32_t le2,
                                                 const double *wr, const double *wi)
{
    for (int32_t i = 0; i < n; i += 2 * le2) {
        float *ar = re + i;
        float *ai = im + i;
        float *br = re + i + le2;
        float *bi = im + i + le2;
        for (int32_t jj = 0; jj < le2; ++jj)
            butterfly(ar[jj], ai[jj], br[jj], bi[jj], wr[jj], wi[jj]);
    }
}

// The first two stages, whose groups are too short to vectorise, run
// butterfly by butterfly.
inline __attribute__((always_inline)) void firstStages(float *re, float *im, int32_t n,
                                                       const double *w)
{
    for (int32_t i = 0; i + 1 < n; i += 2)
        butterfly(re[i], im[i], re[i + 1], im[i + 1], w[0], w[n - 1]);
    if (n < 4)
        return;
    for (int32_t i = 0; i < n; i += 4)
        for (int32_t jj = 0; jj < 2; ++jj)
            butterfly(re[i + jj], im[i + jj], re[i + jj + 2], im[i + jj + 2], w[1 + jj], w[n + jj]);
}

inline __attribute__((always_inline)) void allStages(float *re, float *im, int32_t n,
                                                     const double *w)
{
    if (n < 2)
        return;
    firstStages(re, im, n, w);
    for (int32_t le2 = 4; le2 < n; le2 *= 2)
        stage(re, im, n, le2, w + (le2 - 1), w + (n - 1) + (le2 - 1));
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same operations in wider registers where the processor has them:
// every operation still rounds once, exactly as in the plain build.
__attribute__((target("avx2"))) void allStagesWide(float *re, float *im, int32_t n,
                                                   const double *w)
{
    allStages(re, im, n, w);
}

bool hasWideRegisters()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#else
void allStagesWide(float *re, float *im, int32_t n, const double *w) { allStages(re, im, n, w); }
bool hasWideRegisters() { return false; }
#endif

} // namespace

void FftPlan::transformReordered(float *re, float *im) const
{
    // Within a stage every butterfly touches its own pair of points, so
    // running them group by group instead of twiddle by twiddle stores the
    // same values; only the order of the stages matters.
    if (hasWideRegisters())
        allStagesWide(re, im, n_, twiddles_.data());
    else
        allStages(re, im, n_, twiddles_.data());
}

void fft(FftPoint *work, int32_t n)
{
    if (n < 2)
        return;
    const FftPlan plan(n);
    std::vector<float> re(n), im(n);
    for (int32_t t = 0; t < n; ++t) {
        re[plan.reversed(t)] = work[t][0];
        im[plan.reversed(t)] = work[t][1];
    }
    plan.transformReordered(re.data(), im.data());
    for (int32_t k = 0; k < n; ++k)
        work[k] = {re[k], im[k]};
}
