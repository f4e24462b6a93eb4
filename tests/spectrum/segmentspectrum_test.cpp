#include "spectrum/segmentspectrum.h"


#include <gtest/gtest.h>

#include <cmath>

namespace {

// samples[0] = 0, then count values of f(i) at entries 1..count.
template <class F>
std::vector<float> record(int count, F f)
{
    std::vector<float> s(count + 1, 0.0f);
    for (int i = 1; i <= count; ++i)
        s[i] = static_cast<float>(f(i));
    return s;
}

} // namespace

TEST(SegmentSpectrum, BlockCounts)
{
    const struct {
        int length, blocks;
    } rows[] = {{0, 1}, {1000, 1}, {2047, 1}, {2048, 1}, {2559, 1},
                {2560, 2}, {3071, 2}, {3072, 3}, {1000000, 1950}};
    const std::vector<float> samples(1002049, 0.0f);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.length);
        EXPECT_EQ(spectrumBlockCount(row.length), row.blocks);
        EXPECT_EQ(segmentSpectrum(samples, 1, 1 + row.length).blockCount, row.blocks);
    }
}

TEST(SegmentSpectrum, CosineAmplitudeOneAt100CyclesPerBlock)
{
    // Segment starts at 1, so sample 1 + t holds phase t.
    const auto s = record(2048, [](int i) { return std::cos(2 * M_PI * 100 * (i - 1) / 2048); });
    const SegmentSpectrum r = segmentSpectrum(s, 1, 2049);
    EXPECT_EQ(r.blockCount, 1);
    EXPECT_NEAR(r.lines[100], 0.58685, 5e-6);
    EXPECT_NEAR(r.lines[99], 0.29343, 5e-6);
    EXPECT_NEAR(r.lines[101], 0.29343, 5e-6);
    EXPECT_NEAR(r.lines[50], 0, 1e-6);
    EXPECT_EQ(r.peakLine, 100);
    EXPECT_EQ(r.peak, r.lines[100]);
    EXPECT_NEAR(lineFrequency(r.peakLine, 200), 9.765625, 1e-12);
}

TEST(SegmentSpectrum, ConstantMakesLineZeroTheLargest)
{
    const auto s = record(4096, [](int) { return 1.0; });
    const SegmentSpectrum r = segmentSpectrum(s, 1, 4096);
    EXPECT_EQ(r.peakLine, 0);
    EXPECT_NEAR(r.lines[0], 0.5 / 0.426, 1e-5);
    EXPECT_NEAR(r.lines[1], 0.25 / 0.426, 1e-5);
}

TEST(SegmentSpectrum, AllZeroSegmentHasZeroPeakAtLineZero)
{
    const SegmentSpectrum r = segmentSpectrum(std::vector<float>(5000, 0.0f), 10, 4000);
    EXPECT_EQ(r.peak, 0.0f);
    EXPECT_EQ(r.peakLine, 0);
}

TEST(SegmentSpectrum, EqualLargestLinesReportTheLowest)
{
    // An impulse where the window is 1 transforms to +-1 at every line, so
    // all 1024 lines are exactly equal.
    std::vector<float> s(2049, 0.0f);
    s[1024] = 1;
    const SegmentSpectrum r = segmentSpectrum(s, 0, 2048);
    ASSERT_EQ(r.lines[0], r.lines[1023]);
    EXPECT_GT(r.peak, 0.0f);
    EXPECT_EQ(r.peakLine, 0);
}

TEST(SegmentSpectrum, ShortSegmentInsideALongRecordTakesAFullBlock)
{
    // A 1000-sample segment still takes 2048 samples from its start: content
    // after its end shows in the spectrum.
    const auto s = record(10000, [](int i) { return i > 3000 ? std::cos(i * 0.5) : 0.0; });
    EXPECT_GT(segmentSpectrum(s, 2000, 3000).peak, 0.01f);
}

TEST(SegmentSpectrum, BlockPastTheEndIsZeroPadded)
{
    const auto shortRecord = record(100, [](int i) { return std::sin(i * 0.3); });
    std::vector<float> padded = shortRecord;
    padded.resize(4000, 0.0f);
    const SegmentSpectrum a = segmentSpectrum(shortRecord, 0, 100);
    const SegmentSpectrum b = segmentSpectrum(padded, 0, 100);
    EXPECT_EQ(a.lines, b.lines);
    EXPECT_EQ(a.blockCount, 1);
    // A segment starting in the last 2047 samples is padded too.
    const auto s = record(3000, [](int i) { return std::sin(i * 0.3); });
    std::vector<float> sPadded = s;
    sPadded.resize(6000, 0.0f);
    EXPECT_EQ(segmentSpectrum(s, 2500, 3000).lines, segmentSpectrum(sPadded, 2500, 3000).lines);
}

TEST(SegmentSpectrum, ReversedEndsAreSwapped)
{
    const auto s = record(6000, [](int i) { return std::sin(i * 0.11) * (i % 7); });
    EXPECT_EQ(segmentSpectrum(s, 5000, 100).lines, segmentSpectrum(s, 100, 5000).lines);
}

TEST(SegmentSpectrum, ProgressStaysWithinTheBar)
{
    const std::vector<float> s(10000, 0.0f);
    const struct {
        int start, end;
        std::vector<double> expected;
    } rows[] = {
        {0, 2048, {0.25}},                   // one block: 512 / 2048
        {1, 3073, {512 / 3072.0, 1024 / 3072.0, 1536 / 3072.0}},
        {5, 105, {1}},                       // 512 / 100 would be 5.12
        {7, 7, {1}},                         // no length: no division by zero
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.end);
        std::vector<double> seen;
        segmentSpectrum(s, row.start, row.end, [&](double p) { seen.push_back(p); });
        EXPECT_EQ(seen, row.expected);
    }
}

TEST(SegmentSpectrum, RepeatedComputationGivesTheSameResult)
{
    const auto s = record(8000, [](int i) { return std::sin(i * 0.05) * 1e-4; });
    EXPECT_EQ(segmentSpectrum(s, 0, 8000).lines, segmentSpectrum(s, 0, 8000).lines);
}

TEST(SegmentSpectrum, OneOrTwoThreadsGiveTheSameSpectrumAndProgress)
{
    // Enough blocks for several batches on each thread, and a segment whose
    // last batch is short.
    const auto s = record(300000, [](int i) {
        return std::sin(i * 0.05) * 1e-4 + std::sin(i * 1.3) * 3e-6 + (i % 17) * 1e-8;
    });
    for (const auto &[start, end] : {std::pair{0, 300000}, std::pair{12345, 201234}}) {
        std::vector<double> twoSeen, oneSeen;
        ThreadPolicy twoThreads;
        twoThreads.threads = 2;
        const SegmentSpectrum two =
            segmentSpectrum(s, start, end, [&](double p) { twoSeen.push_back(p); }, twoThreads);
        const SegmentSpectrum one = segmentSpectrum(
            s, start, end, [&](double p) { oneSeen.push_back(p); }, singleThread());
        EXPECT_EQ(two.lines, one.lines);
        EXPECT_EQ(two.blockCount, spectrumBlockCount(end - start));
        EXPECT_EQ(twoSeen, oneSeen);
    }
}
