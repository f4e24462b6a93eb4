#include "assess/bandfilter.h"
#include "assess/realfft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

namespace {

using Complex = std::complex<double>;
const Complex j{0, 1};

// The analogue responses: the band limitation and the KB weighting.
Complex analogueBand(double hz)
{
    const double a = 0.8 / hz, b = 0.8 * hz / 80;
    return 1.0 / ((1.0 - j * std::sqrt(2.0) * a - a * a) * (1.0 + j * std::sqrt(2.0) * b - b * b));
}

Complex analogueKb(double hz) { return analogueBand(hz) / (1.0 - j * 5.6 / hz); }

// The digital responses, from the coefficients on the unit circle.
Complex response(const Section &s, Complex z1)
{
    return (s.b0 + s.b1 * z1 + s.b2 * z1 * z1) / (1.0 + s.a1 * z1 + s.a2 * z1 * z1);
}

Complex digitalBand(double rate, double hz)
{
    const BandFilter band = designBand(rate);
    const Complex z1 = std::polar(1.0, -2 * M_PI * hz / rate);
    return response(band.highPass, z1) * (band.lowPassUsed ? response(band.lowPass, z1) : 1.0);
}

Complex digitalKb(double rate, double hz)
{
    const FirstOrder kb = designKbStage(rate);
    const Complex z1 = std::polar(1.0, -2 * M_PI * hz / rate);
    return digitalBand(rate, hz) * (kb.b0 + kb.b1 * z1) / (1.0 + kb.a1 * z1);
}

} // namespace

TEST(BandFilter, FollowsTheAnalogueResponsesWhereWarpingIsSmall)
{
    // At 20000 samples/s the bilinear transform bends 80 Hz by under 0.01 %.
    for (const double hz : {0.5, 0.8, 1.0, 2.0, 5.6, 16.0, 31.5, 80.0}) {
        SCOPED_TRACE(hz);
        EXPECT_NEAR(std::abs(digitalBand(20000, hz)), std::abs(analogueBand(hz)), 2e-4);
        EXPECT_NEAR(std::abs(digitalKb(20000, hz)), std::abs(analogueKb(hz)), 2e-4);
        EXPECT_NEAR(std::arg(digitalKb(20000, hz)), std::arg(analogueKb(hz)), 2e-3);
    }
    // The low-pass is matched at 80 Hz at any rate that keeps it.
    EXPECT_NEAR(std::abs(digitalBand(1000, 80)), std::abs(analogueBand(80)), 2e-4);
}

TEST(BandFilter, LeavesOutTheLowPassWhereTheRateIsTooLow)
{
    // 100 Hz is 0.45 x 222.2 samples/s.
    EXPECT_TRUE(designBand(223).lowPassUsed);
    EXPECT_FALSE(designBand(222).lowPassUsed);
    // Without it the band is the high-pass alone.
    const double a = 0.8 / 20;
    EXPECT_NEAR(std::abs(digitalBand(200, 20)), 1 / std::sqrt(1 + a * a * a * a), 1e-4);
}

TEST(RealFft, EqualsADirectTransform)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1, 1);
    for (const std::size_t n : {2u, 4u, 16u, 1024u}) {
        SCOPED_TRACE(n);
        std::vector<double> x(n);
        for (double &v : x)
            v = value(random);
        const std::vector<double> input = x;
        const std::vector<double> power = powerSpectrum(x);
        ASSERT_EQ(power.size(), n / 2 + 1);
        for (std::size_t k = 0; k <= n / 2; ++k) {
            std::complex<long double> sum = 0;
            for (std::size_t t = 0; t < n; ++t)
                sum += static_cast<long double>(input[t]) *
                       std::polar(1.0L, -2 * static_cast<long double>(M_PI) * k * t / n);
            EXPECT_NEAR(power[k], static_cast<double>(std::norm(sum)), 1e-10 * n);
        }
    }
}
