#include "analysis/levels.h"

#include "analysis/weighting.h"
#include "record/record.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

// Sample x minus the mean, counted in the peak and the sum of squares. The
// difference stays in 64-bit for the square and the filter; only the stored
// sample is rounded.
inline double removeMean(float &x, double mean, MeanRemoved &r)
{
    const double x0 = x - mean;
    x = static_cast<float>(x0);
    const float square = static_cast<float>(x0 * x0);
    if (square > r.peakSquare)
        r.peakSquare = square;
    r.sumSquares += square;
    return x0;
}

} // namespace

MeanRemoved removeMeanAndWeight(std::vector<float> &samples, double sum, int32_t count,
                                int32_t sampleRate, std::vector<float> &weighted)
{
    WeightingFilter filter = designWeighting(sampleRate);
    const double mean = sum / count;
    MeanRemoved result;
    for (int32_t i = 1; i <= count; ++i)
        weighted[i] = stepWeighting(filter, removeMean(samples[i], mean, result));
    return result;
}

float slowLevelInPlace(std::vector<float> &level, int32_t count, int32_t sampleRate)
{
    const LevelScale scale(sampleRate);
    double m = 0;
    float lawMax = 0;
    for (int32_t i = 1; i <= count; ++i) {
        m = scale.next(m, level[i]);
        level[i] = scale.level(m);
        if (level[i] > lawMax)
            lawMax = level[i];
    }
    return lawMax;
}

LevelScale::LevelScale(int32_t sampleRate)
{
    // Exponential averaging with a 1 s time constant: S matches
    // 1 - exp(-dt) to the second order in dt.
    const double dt = 1.0 / sampleRate;
    s_ = dt * std::exp(-dt / 2);
    r2_ = std::pow(1e-9, 2);
    ln10_ = std::log(10.0);
}

MeanRemoval::MeanRemoval(double sum, int32_t count, int32_t sampleRate)
    : filter_(designWeighting(sampleRate)), scale_(sampleRate), mean_(sum / count)
{
}

void MeanRemoval::weighRange(float *x, int32_t n, double *meanSquares)
{
    // Kept in locals, so that the loop keeps them in registers.
    WeightingFilter filter = filter_;
    const LevelScale scale = scale_;
    const double mean = mean_;
    double m = m_;
    MeanRemoved r = result_;
    for (int32_t i = 0; i < n; ++i) {
        m = scale.next(m, stepWeighting(filter, removeMean(x[i], mean, r)));
        meanSquares[i] = m;
    }
    filter_ = filter;
    m_ = m;
    result_ = r;
}

void SlowLevel::levelRange(const double *meanSquares, int32_t n, float *levels)
{
    scale_.levels(meanSquares, n, levels);
    lawMax_ = runningMax(levels, n, lawMax_);
}

float runningMax(const float *values, int32_t n, float from)
{
    // Eight running maxima side by side, which the compiler keeps in
    // registers; their largest is the one running maximum.
    float largest[8];
    std::fill(std::begin(largest), std::end(largest), from);
    int32_t i = 0;
    for (; i + 8 <= n; i += 8)
        for (int k = 0; k < 8; ++k)
            largest[k] = values[i + k] > largest[k] ? values[i + k] : largest[k];
    for (; i < n; ++i)
        largest[0] = values[i] > largest[0] ? values[i] : largest[0];
    for (int k = 0; k < 8; ++k)
        from = largest[k] > from ? largest[k] : from;
    return from;
}

void SlowLevel::largestOf(const double *meanSquares, int32_t n)
{
    // Mean squares are never negative; NaN is never the largest. Eight
    // running maxima, so that no one chain of comparisons holds the loop up.
    double largest[8];
    std::fill(std::begin(largest), std::end(largest), largest_);
    int32_t i = 0;
    for (; i + 8 <= n; i += 8)
        for (int k = 0; k < 8; ++k)
            largest[k] = meanSquares[i + k] > largest[k] ? meanSquares[i + k] : largest[k];
    for (; i < n; ++i)
        largest[0] = meanSquares[i] > largest[0] ? meanSquares[i] : largest[0];
    for (int k = 1; k < 8; ++k)
        largest[0] = largest[k] > largest[0] ? largest[k] : largest[0];
    largest_ = largest[0];
    // A mean square of 0 gives minus infinity, never the largest level.
    const double near = largest_ * (1 - 1e-9);
    float lawMax = lawMax_;
    for (i = 0; i < n; ++i) {
        if (meanSquares[i] >= near && meanSquares[i] > 0) {
            const float level = scale_.level(meanSquares[i]);
            if (level > lawMax)
                lawMax = level;
        }
    }
    lawMax_ = lawMax;
}

Figures recordFigures(float peakAmplitude, double sumSquares, float lawMaxSlow, int32_t count)
{
    Figures f;
    f.peak = peakAmplitude;
    f.rms = std::sqrt(sumSquares / count);
    f.lawMaxSlow = lawMaxSlow;
    return f;
}

Figures segmentFigures(const std::vector<float> &samples, const std::vector<float> &slowLevel,
                       int32_t start, int32_t end)
{
    if (end < start)
        std::swap(start, end);
    float maxSquare = 0;
    double sumSquares = 0;
    Figures f;
    for (int32_t i = start; i <= end; ++i) {
        const float square = samples[i] * samples[i];
        if (square > maxSquare)
            maxSquare = square;
        sumSquares += square;
        if (slowLevel[i] > f.lawMaxSlow)
            f.lawMaxSlow = slowLevel[i];
    }
    f.peak = std::sqrt(static_cast<double>(maxSquare));
    f.rms = std::sqrt(sumSquares / (static_cast<int64_t>(end) - start + 1));
    return f;
}
