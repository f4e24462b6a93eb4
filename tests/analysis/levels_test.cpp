#include "analysis/levels.h"
#include "analysis/loadrecord.h"
#include "session/numbertext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <variant>

namespace {

Record makeRecord(std::vector<float> values, int32_t rate = 100)
{
    Record r;
    r.sampleCount = static_cast<int32_t>(values.size());
    r.sampleRate = rate;
    r.samples.push_back(0);
    for (float v : values) {
        r.samples.push_back(v);
        r.sum += v;
    }
    return r;
}

AnalysedRecord analyse(std::vector<float> values, int32_t rate = 100)
{
    LoadResult result = analyseRecord(makeRecord(std::move(values), rate), "test.psn");
    if (auto *error = std::get_if<LoadError>(&result))
        ADD_FAILURE() << error->message();
    return std::get<AnalysedRecord>(std::move(result));
}

} // namespace

TEST(Levels, OneTwoThreeRecord)
{
    const AnalysedRecord a = analyse({1, 2, 3});
    EXPECT_EQ(a.samples, (std::vector<float>{0, -1, 0, 1}));
    EXPECT_EQ(a.peakAmplitude, 1.0f);
    EXPECT_EQ(format2(a.figures.peak * 1000000, "."), "1000000.");
    EXPECT_EQ(format2(a.figures.rms * 1000000, "."), "816496.58");
    EXPECT_EQ(a.slowLevel[0], 0.0f);
    EXPECT_EQ(a.samples[0], 0.0f);
}

TEST(Levels, ManyAtOnceAreTheBitsOfOneAtATime)
{
    // Mean squares whose level lies within a few ulps of half way between
    // two floats, where a logarithm off in its last digits rounds the other
    // way, and the ends of the double range.
    const LevelScale scale(200);
    std::vector<double> m = {0, 5e-324, 2.2250738585072014e-308, 1e-300, 1e-18, 1, 1e300,
                             1.7976931348623157e308, INFINITY, NAN};
    uint32_t seed = 12345;
    for (int k = 0; k < 20000; ++k) {
        seed = seed * 1664525u + 1013904223u;
        const float f = static_cast<float>(-40 + 180.0 * seed / 4294967296.0);
        const double half = (double{f} + double{std::nextafter(f, INFINITY)}) / 2;
        double x = std::exp((half + 29) * std::log(10.0) / 10) * 1e-18;
        for (int d = 0; d < 8; ++d)
            x = std::nextafter(x, 0.0);
        for (int d = 0; d < 17; ++d, x = std::nextafter(x, INFINITY))
            m.push_back(x);
    }
    std::vector<float> many(m.size());
    scale.levels(m.data(), static_cast<int32_t>(m.size()), many.data());
    size_t differing = 0;
    for (size_t i = 0; i < m.size(); ++i) {
        const float one = scale.level(m[i]);
        differing += std::memcmp(&one, &many[i], sizeof one) != 0;
    }
    EXPECT_EQ(differing, 0u);
}

TEST(Levels, SlowLevelOfTheWeightedSignal)
{
    // y = 1 at the first sample: m = S, level = 10 log10(S / 1e-18) - 29.
    std::vector<float> level{0, 1, 0};
    const float law = slowLevelInPlace(level, 2, 100);
    const double s = 0.009950124791926824;
    EXPECT_FLOAT_EQ(level[1], static_cast<float>(10 * std::log10(s / 1e-18) - 29));
    EXPECT_FLOAT_EQ(level[2], static_cast<float>(10 * std::log10(s * (1 - s) / 1e-18) - 29));
    EXPECT_EQ(law, level[1]);
}

TEST(Levels, QuietLeadInGivesMinusInfinityAndLoads)
{
    // 100 silent samples, then an event whose values cancel exactly, so the
    // mean is 0 and the weighted lead-in is exactly 0.
    std::vector<float> values(200, 0.0f);
    for (int i = 100; i < 200; ++i)
        values[i] = (i % 2 ? 0.001f : -0.001f);
    const AnalysedRecord a = analyse(values);
    for (int i : {1, 50, 100}) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(std::isinf(a.slowLevel[i]) && a.slowLevel[i] < 0);
    }
    EXPECT_TRUE(std::isfinite(a.slowLevel[101]));
    EXPECT_GT(a.lawMaxSlow, 0.0f);
    EXPECT_EQ(segmentFigures(a.samples, a.slowLevel, 1, 100).lawMaxSlow, 0.0f);
}

TEST(Levels, ConstantRecordLoadsWithZeroFigures)
{
    // Summed in 64-bit, a million values of 0.001 give their mean exactly;
    // a 32-bit sum drifts and leaves a peak of about 8.86e-6.
    const AnalysedRecord a = analyse(std::vector<float>(1000000, 0.001f));
    EXPECT_EQ(a.peakAmplitude, 0.0f);
    EXPECT_EQ(a.figures.rms, 0.0);
    EXPECT_EQ(a.lawMaxSlow, 0.0f);
    EXPECT_TRUE(std::isinf(a.slowLevel[1000000]) && a.slowLevel[1000000] < 0);
}

TEST(Levels, QuietRecordNeverGoesBelowZero)
{
    // 1e-12 m/s is far below 0 dB; the maximum starts at 0 and stays there.
    std::vector<float> values(300);
    for (int i = 0; i < 300; ++i)
        values[i] = (i % 2 ? 1e-12f : -1e-12f);
    const AnalysedRecord a = analyse(values);
    EXPECT_EQ(a.lawMaxSlow, 0.0f);
    EXPECT_EQ(format2(a.lawMaxSlow, "."), "0.");
}

TEST(Levels, SquaresUseTheUnroundedDifference)
{
    // The whole-record peak squares the 64-bit difference; the segment
    // figures square the stored 32-bit sample. With a mean of 1/3 the two
    // differ in the last bits.
    const AnalysedRecord a = analyse({1, 0, 0});
    const double x0 = 1 - 1.0 / 3;
    EXPECT_EQ(a.peakAmplitude,
              static_cast<float>(std::sqrt(static_cast<double>(static_cast<float>(x0 * x0)))));
    const Figures seg = segmentFigures(a.samples, a.slowLevel, 1, 1);
    EXPECT_EQ(seg.peak, std::sqrt(static_cast<double>(a.samples[1] * a.samples[1])));
}

TEST(Levels, SegmentFigures)
{
    const AnalysedRecord a = analyse({1, 2, 3, 4, 5});   // mean removed: -2 -1 0 1 2
    const Figures f = segmentFigures(a.samples, a.slowLevel, 2, 4);
    EXPECT_EQ(f.peak, 1.0);
    EXPECT_DOUBLE_EQ(f.rms, std::sqrt(2.0 / 3));
    // Reversed ends are swapped.
    const Figures r = segmentFigures(a.samples, a.slowLevel, 4, 2);
    EXPECT_EQ(r.peak, f.peak);
    EXPECT_EQ(r.rms, f.rms);
    EXPECT_EQ(r.lawMaxSlow, f.lawMaxSlow);
    // The whole record with entry 0 counts N + 1 values.
    const Figures all = segmentFigures(a.samples, a.slowLevel, 0, 5);
    EXPECT_DOUBLE_EQ(all.rms, std::sqrt(10.0 / 6));
}

TEST(Levels, SumsOfSquaresAre64Bit)
{
    // The squares 1, 1, 2^-30, 2^-30 (mean 0): a 32-bit sum loses the small ones.
    const float e = 1.0f / 32768;
    const AnalysedRecord a = analyse({1, -1, e, -e});
    EXPECT_EQ(a.figures.rms, std::sqrt((2 + 0x1p-29) / 4));
    EXPECT_EQ(segmentFigures(a.samples, a.slowLevel, 1, 4).rms, a.figures.rms);
}

TEST(Levels, LawOnlyRisesOnStrictlyGreater)
{
    std::vector<float> samples(4, 0.0f);
    std::vector<float> level{0, 71.0f, 71.01f, -INFINITY};
    EXPECT_EQ(segmentFigures(samples, level, 1, 1).lawMaxSlow, 71.0f);
    EXPECT_EQ(segmentFigures(samples, level, 1, 3).lawMaxSlow, 71.01f);
    EXPECT_EQ(segmentFigures(samples, level, 3, 3).lawMaxSlow, 0.0f);
}

TEST(Levels, OverflowIsAnErrorNotInfinity)
{
    LoadResult huge = analyseRecord(makeRecord({3e19f, -3e19f, 1}), "big.psn");
    ASSERT_TRUE(std::holds_alternative<LoadError>(huge));
    EXPECT_EQ(std::get<LoadError>(huge).file, "big.psn");
    EXPECT_NE(std::get<LoadError>(huge).reason.find("too large"), std::string::npos);

    // The sum fits in 64-bit, but a mean-removed square (2e38)^2 does not.
    EXPECT_TRUE(std::holds_alternative<LoadError>(analyseRecord(makeRecord({3e38f, 3e38f, -3e38f}), "x")));
}

TEST(Levels, ProgressPoints)
{
    std::vector<double> seen;
    LoadOptions options;
    options.progress = [&](double p) { seen.push_back(p); };
    analyseRecord(makeRecord({1, 2, 3}), "p", options);
    EXPECT_EQ(seen, (std::vector<double>{0.5, 1}));

    // A long record also reports on the way, never backwards; on two threads
    // while the levels catch up, too.
    seen.clear();
    options.threads.threads = 2;
    analyseRecord(makeRecord(std::vector<float>(300000, 1.0f)), "p", options);
    EXPECT_GT(seen.size(), 6u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GE(seen.front(), 0);
    EXPECT_EQ(seen.back(), 1);
    EXPECT_NE(std::find_if(seen.begin(), seen.end(), [](double p) { return p > 0 && p < 0.5; }),
              seen.end());
    EXPECT_NE(std::find_if(seen.begin(), seen.end(), [](double p) { return p > 0.5 && p < 1; }),
              seen.end());
}

TEST(Levels, LongRecordsLevelOnASecondThreadAsInOnePass)
{
    // Long enough for the slow level to follow the weighting on its own
    // thread, and for the buffers between the two to be used again. Values
    // come in pairs +v, -v, so the mean is exactly 0 and the silent start
    // keeps its minus-infinity levels. The loudest part comes last, or
    // first, for the largest level taken without keeping the levels.
    for (const double growth : {1e-5, -9e-7}) {
        SCOPED_TRACE(growth);
        std::vector<float> values(1000000, 0.0f);
        for (size_t i = 5000; i + 1 < values.size(); i += 2) {
            values[i] = static_cast<float>(std::sin(i * 0.003) * 1e-4 * (1 + i * growth) +
                                           ((i * 7919) % 101) * 1e-8);
            values[i + 1] = -values[i];
        }
        const Record record = makeRecord(values, 250);
        std::vector<float> samples = record.samples;
        std::vector<float> level(samples.size(), 0.0f);
        const MeanRemoved removed =
            removeMeanAndWeight(samples, record.sum, record.sampleCount, 250, level);
        const float lawMax = slowLevelInPlace(level, record.sampleCount, 250);

        Record copy = record.copy();
        std::vector<double> seen;
        LoadOptions options;
        options.progress = [&](double p) { seen.push_back(p); };
        options.threads.threads = 2;
        LoadResult result = analyseRecord(std::move(copy), "long.psn", options);
        ASSERT_TRUE(std::holds_alternative<AnalysedRecord>(result));
        const AnalysedRecord &a = std::get<AnalysedRecord>(result);
        EXPECT_EQ(a.samples, samples);
        EXPECT_EQ(0, std::memcmp(a.slowLevel.data(), level.data(), level.size() * sizeof(float)));
        EXPECT_TRUE(std::isinf(a.slowLevel[1]));
        EXPECT_EQ(a.lawMaxSlow, lawMax);
        EXPECT_EQ(a.sumSquares, removed.sumSquares);

        // The same progress points as one pass would report.
        std::vector<double> expected;
        for (double from : {0.0, 0.5}) {
            for (int32_t i = progressInterval; i <= record.sampleCount; i += progressInterval)
                expected.push_back(from + 0.5 * i / record.sampleCount);
            expected.push_back(from + 0.5);
        }
        EXPECT_EQ(seen, expected);

        // Kept to one thread, it gives the same.
        copy = record.copy();
        LoadOptions oneThread;
        oneThread.threads = singleThread();
        LoadResult single = analyseRecord(std::move(copy), "long.psn", oneThread);
        ASSERT_TRUE(std::holds_alternative<AnalysedRecord>(single));
        EXPECT_EQ(0, std::memcmp(std::get<AnalysedRecord>(single).slowLevel.data(), level.data(),
                                 level.size() * sizeof(float)));

        // Without keeping the levels, on one thread or two, the same figures;
        // the helper, while it waits, is told of samples already final.
        for (const int threads : {1, 2}) {
            SCOPED_TRACE(threads);
            copy = record.copy();
            const float *stored = copy.samples.data();
            int64_t final = 0;
            bool early = false;
            LoadOptions levelsNotKept;
            levelsNotKept.threads.threads = threads;
            levelsNotKept.keepLevels = false;
            levelsNotKept.alongside = [&](int64_t finalEntries) {
                if (finalEntries <= final)
                    return false;
                early = early || std::memcmp(stored + final, samples.data() + final,
                                             (finalEntries - final) * sizeof(float)) != 0;
                final = finalEntries;
                return true;
            };
            LoadResult figuresOnly = analyseRecord(std::move(copy), "long.psn", levelsNotKept);
            ASSERT_TRUE(std::holds_alternative<AnalysedRecord>(figuresOnly));
            const AnalysedRecord &f = std::get<AnalysedRecord>(figuresOnly);
            EXPECT_TRUE(f.slowLevel.empty());
            EXPECT_EQ(f.lawMaxSlow, lawMax);
            EXPECT_EQ(f.samples, samples);
            EXPECT_EQ(f.sumSquares, removed.sumSquares);
            EXPECT_FALSE(early);
            EXPECT_LE(final, record.sampleCount + 1);
            if (threads == 1) {
                EXPECT_EQ(final, 0);
            }
        }
    }
}
