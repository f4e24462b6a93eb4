#include "analysis/weighting.h"

#include <cmath>

WeightingFilter designWeighting(int32_t sampleRate)
{
    const double pi = 4 * std::atan(1.0);
    const double f0 = 2;     // design frequency, Hz
    const double q = 0.35;   // quality factor: two real poles, no ringing
    const double theta = 2 * pi * f0 / sampleRate;
    const double t = std::tan((theta / 2) / q);
    const double d = 2 * t / std::sin(theta);

    WeightingFilter filter;
    filter.beta = 0.5 * (1 - (d / 2) * std::sin(theta)) / (1 + (d / 2) * std::sin(theta));
    filter.gamma = (0.5 + filter.beta) * std::cos(theta);
    filter.alpha = (0.5 + filter.beta + filter.gamma) / 4;
    return filter;
}
