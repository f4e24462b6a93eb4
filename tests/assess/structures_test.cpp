#include "assess/samplepass.h"
#include "assess/structures.h"
#include "assess/structuretrack.h"
#include "signals.h"

#include <gtest/gtest.h>

TEST(Structures, ZeroCrossingsAreInterpolatedBetweenSamples)
{
    // Half a period of 12 Hz is 41.67 samples at 1000 samples/s: whole
    // sample indices would give 12.20 Hz (or 11.90). At 2 Hz and 8000
    // samples/s the crossings lie thousands of samples from the peak.
    const struct {
        double hz, rate;
    } rows[] = {{12, 1000}, {2, 8000}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.hz);
        const double seconds = 12 / row.hz;
        std::vector<float> samples = silence(row.rate, seconds + 2);
        addSine(samples, row.rate, 1, seconds, row.hz, 0.005, seconds / 2, 0.3, true);
        const StructureResult r = assessStructure(samples, row.rate, Axis::Vertical);
        ASSERT_TRUE(r.frequencyZeroCrossing);
        EXPECT_NEAR(*r.frequencyZeroCrossing, row.hz, 0.001);
        EXPECT_NEAR(r.ppv, 5, 0.1);
        EXPECT_NEAR(r.ppvTime, 1 + seconds / 2, 0.5 / row.hz);
    }
}

TEST(Structures, VectorSumIsTheLargestOfOneSample)
{
    // Three 10 Hz sines of 1 mm/s a third of a period apart: x^2 + y^2 + z^2
    // is 1.5 at every sample, so the sum is 1.2247, not the 1.7321 of the
    // peaks of the axes. At the top floor only the horizontal ones count.
    const double rate = 1000;
    std::array<std::vector<float>, 3> axes;
    for (int k = 0; k < 3; ++k) {
        axes[k] = silence(rate, 6);
        addSine(axes[k], rate, 0, 6, 10, 0.001, 2, 2 * M_PI * k / 3, true);
    }
    StructureOptions options;
    options.place = Place::TopFloor;
    const StructureSetResult set = assessStructureSet({axes[0], axes[1], axes[2]}, rate, options);
    EXPECT_NEAR(set.pvs, 1.2247, 0.002);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(set.components[k].ppv, 1, 0.002);
    EXPECT_NEAR(set.pvsTime, 3, 1.1);
    EXPECT_EQ(set.components[0].verdict, Verdict::NoGuideline);
    ASSERT_TRUE(set.governing);
    EXPECT_NE(*set.governing, 0);
    EXPECT_EQ(set.components[1].limit, 15);
    EXPECT_EQ(set.verdict, Verdict::Met);
}

TEST(Structures, TheTwoFrequencyMethodsCanDisagree)
{
    // A 6 mm/s burst at 40 Hz, then a 2.5 mm/s coda at 6 Hz: the crossings
    // around the peak say 40 Hz, the spectrum 6 Hz.
    const double rate = 1000;
    std::vector<float> samples = silence(rate, 6);
    addSine(samples, rate, 0.5, 0.3, 40, 0.006, 0.1, 0, true);
    addSine(samples, rate, 0.8, 5, 6, 0.0025, 0.2, 0, true);
    const struct {
        FrequencyMethod method, used;
        double hz, limit;
        Verdict verdict;
    } rows[] = {{FrequencyMethod::ZeroCrossing, FrequencyMethod::ZeroCrossing, 40, 12.49, Verdict::Met},
                {FrequencyMethod::Spectrum, FrequencyMethod::Spectrum, 6, 5.00, Verdict::Exceeded},
                {FrequencyMethod::Stricter, FrequencyMethod::Spectrum, 6, 5.00, Verdict::Exceeded}};
    for (const auto &row : rows) {
        SCOPED_TRACE(optionName(row.method));
        StructureOptions options;
        options.method = row.method;
        const StructureResult r = assessStructure(samples, rate, Axis::Horizontal, options);
        EXPECT_NEAR(r.ppv, 6, 0.1);
        EXPECT_EQ(r.frequencyMethod, row.used);
        ASSERT_TRUE(r.frequencyUsed && r.limit && r.frequencySpectrumSecond);
        EXPECT_NEAR(*r.frequencyUsed, row.hz, 0.1);
        EXPECT_NEAR(*r.limit, row.limit, 0.03);
        EXPECT_NEAR(*r.frequencySpectrumSecond, 40, 0.5);
        EXPECT_EQ(r.verdict, row.verdict);
    }
}

TEST(Structures, SpectrumOfALongRecordIsOfTheTenSecondsAroundThePeak)
{
    // A steady 1.5 mm/s at 8 Hz fills the spectrum of the whole minute; a
    // 6 mm/s burst at 20 Hz fills that of its 10 s, wherever it lies.
    const double rate = 200;
    for (const double at : {3.0, 30.0, 56.0}) {
        SCOPED_TRACE(at);
        std::vector<float> samples = silence(rate, 60);
        addSine(samples, rate, 0, 60, 8, 0.0015, 2, 0, true);
        addSine(samples, rate, at, 3, 20, 0.006, 0.5, 0, true);
        const StructureResult r = assessStructure(samples, rate, Axis::Vertical);
        ASSERT_TRUE(r.frequencySpectrum);
        EXPECT_NEAR(*r.frequencySpectrum, 20, 0.1);
        EXPECT_TRUE(r.bandToHalfRate);
    }
}

TEST(Structures, SpectrumSpanIsFilteredAgainToThePassValues)
{
    // The span is filtered again from the state kept at a block's start:
    // any other state would show as a transient at its beginning.
    const double rate = 200;
    std::vector<float> samples = silence(rate, 60);
    addSine(samples, rate, 0, 60, 8, 0.0015, 2, 0, true);
    addSine(samples, rate, 30, 3, 20, 0.006, 0.5, 0, true);
    const BandFilter band = designBand(rate);
    std::array<BandFilter, 1> chains{band};
    StructureTrack track(band, static_cast<int64_t>(samples.size()), rate, true);
    runBlocks(chains, {std::span<const float>(samples)}, {0.0},
              [&](int64_t start, std::size_t n, const BlockOutputs<1> &out, const std::array<BandFilter, 1> &next) {
                  track.scan(out[0].data(), n, start, next[0]);
              });
    const std::vector<double> span = track.spectrumSpan(samples, 0);
    const std::vector<float> trace = track.takeTrace();
    ASSERT_EQ(span.size(), 2000u);
    int differing = 0;
    for (std::size_t j = 0; j < span.size(); ++j)
        differing += static_cast<float>(span[j]) != trace[static_cast<std::size_t>(track.peakIndex()) - 1000 + j];
    EXPECT_EQ(differing, 0);
}

TEST(Structures, RecorderOffsetDoesNotBecomeThePeak)
{
    // 10 mm/s of offset under a 1 mm/s sine: filtered as it stands, the
    // offset's step into the high-pass would be the peak.
    const double rate = 500;
    std::vector<float> samples(5000, 0.01f);
    addSine(samples, rate, 0, 10, 10, 0.001, 2, 0, true);
    const StructureResult r = assessStructure(samples, rate, Axis::Vertical);
    EXPECT_NEAR(r.ppv, 1, 0.01);
    EXPECT_THROW(assessStructure(samples, 2, Axis::Vertical), AssessError);
    samples[7] = std::nanf("");
    EXPECT_THROW(assessStructure(samples, rate, Axis::Vertical), AssessError);
}
