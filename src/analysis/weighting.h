#pragma once

#include <cstdint>

// Second-order 2 Hz high-pass weighting filter (Q = 0.35): zero pair at DC,
// gain 1 at half the sampling rate, two real poles. Designed once per load,
// then stepped once per sample in order.
struct WeightingFilter {
    double alpha = 0, beta = 0, gamma = 0;
    double x1 = 0, x2 = 0;   // the two previous inputs
    float y1 = 0, y2 = 0;    // the two previous outputs, as stored
};

// Coefficients for `sampleRate` samples per second (at least 12), state at 0.
WeightingFilter designWeighting(int32_t sampleRate);

// One step: input x0 in 64-bit, output rounded to 32-bit float:
// y = 2 (alpha (x0 - 2 x1 + x2) + gamma y1 - beta y2). Doubling is exact, so
// doubling the coefficients instead gives the same value with one step less
// between one output and the next. Inline, so that a loop keeps the state in
// registers.
inline float stepWeighting(WeightingFilter &f, double x0)
{
    const double y = (2 * f.alpha) * (x0 - 2 * f.x1 + f.x2) + (2 * f.gamma) * f.y1 - (2 * f.beta) * f.y2;
    const float stored = static_cast<float>(y);
    f.x2 = f.x1;
    f.x1 = x0;
    f.y2 = f.y1;
    f.y1 = stored;
    return stored;
}

// The magnitude of the filter's response at `frequency` Hz when designed
// for `sampleRate` samples per second.
double weightingGain(int32_t sampleRate, double frequency);
