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

// One step: input x0 in 64-bit, output rounded to 32-bit float.
float stepWeighting(WeightingFilter &filter, double x0);

// The magnitude of the filter's response at `frequency` Hz when designed
// for `sampleRate` samples per second.
double weightingGain(int32_t sampleRate, double frequency);
