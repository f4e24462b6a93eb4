#include "spectrum/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace {

std::vector<FftPoint> points(int n, float value = 0)
{
    return std::vector<FftPoint>(n, FftPoint{value, 0.0f});
}

} // namespace

TEST(Fft, TwoPointsGiveSumAndDifference)
{
    std::vector<FftPoint> w{{3, 1}, {1, 2}};
    fft(w.data(), 2);
    EXPECT_EQ(w[0], (FftPoint{4, 3}));
    EXPECT_EQ(w[1], (FftPoint{2, -1}));
}

TEST(Fft, EightPointImpulsesGiveTheirPhaseRamps)
{
    // An impulse at t transforms to e^(-2 pi i k t / 8); a wrong bit-reversal
    // exchange moves the ramp of some t.
    for (int t = 0; t < 8; ++t) {
        SCOPED_TRACE(t);
        std::vector<FftPoint> w = points(8);
        w[t] = {1, 0};
        fft(w.data(), 8);
        for (int k = 0; k < 8; ++k) {
            const double angle = -2 * M_PI * k * t / 8;
            EXPECT_NEAR(w[k][0], std::cos(angle), 1e-6);
            EXPECT_NEAR(w[k][1], std::sin(angle), 1e-6);
        }
    }
}

TEST(Fft, UnitImpulseGivesFlatSpectrum)
{
    std::vector<FftPoint> w = points(2048);
    w[0] = {1, 0};
    fft(w.data(), 2048);
    for (int k = 0; k < 2048; ++k)
        ASSERT_EQ(w[k], (FftPoint{1, 0})) << k;
}

TEST(Fft, ConstantGivesDcOnly)
{
    std::vector<FftPoint> w = points(2048, 0.5f);
    fft(w.data(), 2048);
    EXPECT_EQ(w[0][0], 1024.0f);
    for (int k = 1; k < 2048; ++k) {
        ASSERT_NEAR(w[k][0], 0, 1e-3) << k;
        ASSERT_NEAR(w[k][1], 0, 1e-3) << k;
    }
}

TEST(Fft, SignConventionIsNegativeExponent)
{
    const int n = 64, k0 = 5;
    for (const int sign : {1, -1}) {
        SCOPED_TRACE(sign);
        std::vector<FftPoint> w(n);
        for (int t = 0; t < n; ++t)
            w[t] = {static_cast<float>(std::cos(2 * M_PI * k0 * t / n)),
                    static_cast<float>(sign * std::sin(2 * M_PI * k0 * t / n))};
        fft(w.data(), n);
        const int peak = sign > 0 ? k0 : n - k0;
        EXPECT_NEAR(w[peak][0], n, 1e-4);
        for (int k = 0; k < n; ++k) {
            if (k != peak) {
                ASSERT_NEAR(std::abs(std::complex<float>(w[k][0], w[k][1])), 0, 1e-4) << k;
            }
        }
    }
}

TEST(Fft, RandomInputMatchesDirectSumAndLeavesTheRestAlone)
{
    const int n = 64;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-1, 1);
    std::vector<FftPoint> w(n + 2);
    for (auto &p : w)
        p = {value(random), value(random)};
    const std::vector<FftPoint> input = w;
    w[n] = w[n + 1] = {999.0f, 999.0f};   // overrun guards
    fft(w.data(), n);
    for (int k = 0; k < n; ++k) {
        std::complex<long double> sum = 0;
        for (int t = 0; t < n; ++t)
            sum += std::complex<long double>(input[t][0], input[t][1]) *
                   std::polar<long double>(1, -2 * M_PIl * k * t / n);
        SCOPED_TRACE(k);
        EXPECT_NEAR(w[k][0], static_cast<double>(sum.real()), 2e-5);
        EXPECT_NEAR(w[k][1], static_cast<double>(sum.imag()), 2e-5);
    }
    EXPECT_EQ(w[n], (FftPoint{999.0f, 999.0f}));
    EXPECT_EQ(w[n + 1], (FftPoint{999.0f, 999.0f}));
}

TEST(Fft, RealInputIsConjugateSymmetric)
{
    const int n = 2048;
    std::vector<FftPoint> w(n);
    for (int t = 0; t < n; ++t)
        w[t] = {static_cast<float>(std::sin(t * 0.37) + 0.2 * std::cos(t * 1.91)), 0.0f};
    fft(w.data(), n);
    for (int k = 1; k < n; ++k) {
        ASSERT_NEAR(w[k][0], w[n - k][0], 2e-3) << k;
        ASSERT_NEAR(w[k][1], -w[n - k][1], 2e-3) << k;
    }
}

TEST(Fft, SinglePointIsUnchanged)
{
    std::vector<FftPoint> w{{2.5f, -1.0f}};
    fft(w.data(), 1);
    EXPECT_EQ(w[0], (FftPoint{2.5f, -1.0f}));
}
