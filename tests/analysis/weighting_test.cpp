#include "analysis/weighting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace {

// |H(e^{i w})| of 2a(1 - 2z^-1 + z^-2) / (1 - 2g z^-1 + 2b z^-2).
double magnitude(const WeightingFilter &f, double hz, double rate)
{
    const std::complex<double> z1 = std::polar(1.0, -2 * M_PI * hz / rate);
    const std::complex<double> z2 = z1 * z1;
    return std::abs(2 * f.alpha * (1.0 - 2.0 * z1 + z2) / (1.0 - 2 * f.gamma * z1 + 2 * f.beta * z2));
}

} // namespace

TEST(Weighting, CoefficientsAt100SamplesPerSecond)
{
    const WeightingFilter f = designWeighting(100);
    EXPECT_NEAR(f.beta, 0.3464008852, 1e-10);
    EXPECT_NEAR(f.gamma, 0.8397267614, 1e-10);
    EXPECT_NEAR(f.alpha, 0.4215319117, 1e-10);
    EXPECT_EQ(f.x1, 0);
    EXPECT_EQ(f.y1, 0);
}

TEST(Weighting, ImpulseAndStepResponses)
{
    const double impulse[] = {0.84306, -0.27024, -0.19487, -0.14005, -0.10020, -0.07126};
    const double step[] = {0.84306, 0.57282, 0.37795, 0.23790, 0.13770, 0.06644};
    WeightingFilter a = designWeighting(100), b = designWeighting(100);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(stepWeighting(a, i == 0 ? 1 : 0), impulse[i], 5e-6);
        EXPECT_NEAR(stepWeighting(b, 1), step[i], 5e-6);
    }
}

TEST(Weighting, OutputIsStoredAndFedBackAs32BitFloat)
{
    WeightingFilter f = designWeighting(100);
    const float first = stepWeighting(f, 0.1);
    EXPECT_EQ(f.y1, first);
    const double unrounded = 2 * (f.alpha * 0.1);
    EXPECT_EQ(first, static_cast<float>(unrounded));
    EXPECT_NE(static_cast<double>(first), unrounded);
}

TEST(Weighting, MagnitudeResponse)
{
    const WeightingFilter f100 = designWeighting(100);
    const struct {
        double hz, gain;
    } rows[] = {{0.5, 0.0527}, {1, 0.1531}, {2, 0.3453}, {4, 0.6148},
                {8, 0.8491},   {25, 0.9876}, {50, 1.0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.hz);
        EXPECT_NEAR(magnitude(f100, row.hz, 100), row.gain, 5e-5);
    }
    EXPECT_NEAR(magnitude(designWeighting(200), 2, 200), 0.3488, 5e-5);
    EXPECT_NEAR(magnitude(f100, 0, 100), 0, 1e-12);
}

TEST(Weighting, LowestRateStillGivesAStableHighPass)
{
    // At 12 samples per second the design still holds: real poles inside
    // the unit circle, zero gain at DC, unit gain at half the rate.
    const WeightingFilter f = designWeighting(12);
    EXPECT_TRUE(std::isfinite(f.alpha));
    EXPECT_LT(std::abs(2 * f.beta), 1.0);
    EXPECT_NEAR(magnitude(f, 6, 12), 1.0, 1e-9);
    WeightingFilter g = f;
    double y = 0;
    for (int i = 0; i < 2000; ++i)
        y = stepWeighting(g, 1);
    EXPECT_NEAR(y, 0, 1e-6);
}
