#include "analysis/weighting.h"

#include <cmath>
#include <complex>

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

double weightingGain(int32_t sampleRate, double frequency)
{
    // 2 alpha (1 - 2 z^-1 + z^-2) / (1 - 2 gamma z^-1 + 2 beta z^-2) on the unit circle.
    const WeightingFilter f = designWeighting(sampleRate);
    const double pi = 4 * std::atan(1.0);
    const std::complex<double> z1 = std::polar(1.0, -2 * pi * frequency / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    return std::abs(2 * f.alpha * (1.0 - 2.0 * z1 + z2) / (1.0 - 2 * f.gamma * z1 + 2 * f.beta * z2));
}
