#include "analysis/levels.h"

#include "analysis/weighting.h"
#include "record/psnreader.h"

#include <algorithm>
#include <cmath>
#include <utility>

MeanRemoved removeMeanAndWeight(std::vector<float> &samples, double sum, int32_t count,
                                int32_t sampleRate, std::vector<float> &weighted,
                                const SampleTick &tick)
{
    WeightingFilter filter = designWeighting(sampleRate);
    const double mean = sum / count;
    MeanRemoved result;
    float *x = samples.data();
    float *y = weighted.data();
    for (int32_t i = 1; i <= count; ++i) {
        if (tick && i % progressInterval == 0)
            tick(i);
        // The difference stays in 64-bit for the square and the filter; only
        // the stored sample is rounded.
        const double x0 = x[i] - mean;
        x[i] = static_cast<float>(x0);
        const float square = static_cast<float>(x0 * x0);
        if (square > result.peakSquare)
            result.peakSquare = square;
        result.sumSquares += square;
        y[i] = stepWeighting(filter, x0);
    }
    return result;
}

SlowLevel::SlowLevel(int32_t sampleRate)
{
    // Exponential averaging with a 1 s time constant: S matches
    // 1 - exp(-dt) to the second order in dt.
    const double dt = 1.0 / sampleRate;
    s_ = dt * std::exp(-dt / 2);
    r2_ = std::pow(1e-9, 2);
    ln10_ = std::log(10.0);
}

void SlowLevel::levelRange(float *l, int32_t from, int32_t to)
{
    const double s = s_, r2 = r2_, ln10 = ln10_;
    double m = m_;
    float lawMax = lawMax_;
    for (int32_t i = from; i <= to; ++i) {
        const double y = l[i];
        m = m * (1 - s) + y * s * y;
        // While m is 0 (a silent lead-in) the logarithm gives minus infinity,
        // which never becomes the maximum.
        l[i] = static_cast<float>(10 * std::log(m / r2) / ln10 - 29);
        if (l[i] > lawMax)
            lawMax = l[i];
    }
    m_ = m;
    lawMax_ = lawMax;
}

float slowLevelInPlace(std::vector<float> &level, int32_t count, int32_t sampleRate,
                       const SampleTick &tick)
{
    SlowLevel slow(sampleRate);
    for (int32_t from = 1; from <= count;) {
        // Ticks fall on the multiples of progressInterval, before that sample.
        const int32_t to = std::min<int64_t>(count, (from / progressInterval + 1) * int64_t{progressInterval} - 1);
        if (tick && from % progressInterval == 0)
            tick(from);
        slow.levelRange(level.data(), from, to);
        from = to + 1;
    }
    return slow.lawMax();
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
