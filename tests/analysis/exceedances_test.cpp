#include "analysis/exceedances.h"
#include "analysis/loadrecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <variant>

namespace {

// 200 s at 1000 samples/s of faint noise with 11 Hz bursts of 1 mm/s at
// 30 s, at 65 s (across the end of the first piece of 65536 samples),
// at 90 s and at 131 s.
Record burstRecord()
{
    Record r;
    r.sampleRate = 1000;
    r.sampleCount = 200000;
    r.samples.assign(r.sampleCount + 1, 0.0f);
    for (int32_t i = 1; i <= r.sampleCount; ++i) {
        const double t = (i - 1) / 1000.0;
        double v = 2e-6 * std::sin(i * 0.7) * std::cos(i * 0.013);
        for (const double at : {30.0, 65.0, 90.0, 131.0})
            if (t >= at && t < at + 2)
                v += 1e-3 * std::sin((t - at) * std::numbers::pi / 2) * std::sin(2 * std::numbers::pi * 11 * t);
        r.samples[i] = static_cast<float>(v);
        r.sum += r.samples[i];
    }
    return r;
}

// The runs of levels strictly above `threshold`, straight from the kept levels.
std::vector<Exceedance> runsOf(const std::vector<float> &levels, double threshold)
{
    std::vector<Exceedance> runs;
    for (int32_t i = 1; i < static_cast<int32_t>(levels.size()); ++i) {
        if (!(levels[i] > threshold))
            continue;
        if (runs.empty() || runs.back().last != i - 1)
            runs.push_back({i, i, levels[i], i});
        Exceedance &e = runs.back();
        e.last = i;
        if (levels[i] > e.lawMax) {
            e.lawMax = levels[i];
            e.lawMaxSample = i;
        }
    }
    return runs;
}

} // namespace

TEST(Exceedances, StreamedFromLevelsOrMeanSquaresAsFromTheKeptLevels)
{
    const Record record = burstRecord();
    LoadResult kept = analyseRecord(record.copy(), "bursts.psn");
    ASSERT_TRUE(std::holds_alternative<AnalysedRecord>(kept));
    const AnalysedRecord &a = std::get<AnalysedRecord>(kept);
    // 71.3 is no float: a level can round to above it from below.
    for (const double threshold : {71.0, 71.3, 40.0}) {
        const std::vector<Exceedance> expected = runsOf(a.slowLevel, threshold);
        for (const bool keepLevels : {true, false}) {
            for (const int threads : {1, 2}) {
                SCOPED_TRACE(testing::Message() << threshold << " dB, levels kept " << keepLevels << ", threads "
                                                << threads);
                ExceedanceTrack track(record.sampleRate, threshold);
                LoadOptions options;
                options.keepLevels = keepLevels;
                options.threads.threads = threads;
                options.threads.levelFromSamples = 1000;
                options.followLevels = [&](const LevelledPiece &piece) { track.follow(piece); };
                ASSERT_TRUE(std::holds_alternative<AnalysedRecord>(analyseRecord(record.copy(), "b", options)));
                EXPECT_EQ(track.finish(), expected);
            }
        }
        if (threshold == 71.0) {
            ASSERT_EQ(expected.size(), 4u);
            EXPECT_LT(expected[1].first, 65536);
            EXPECT_GT(expected[1].last, 65536);
        }
    }
    // The largest exceedance is Law,max,Slow.
    float largest = 0;
    for (const Exceedance &e : runsOf(a.slowLevel, 71))
        largest = std::max(largest, e.lawMax);
    EXPECT_EQ(largest, a.lawMaxSlow);
}

TEST(Exceedances, MergeJoinsRunsLessThanTheGapApart)
{
    // At 10 samples/s: runs 2..4, 7..8 (a gap of 2 samples, 0.2 s) and
    // 14..14 (a gap of 5, 0.5 s); the level of sample 8 equals 4's, and the
    // record ends above.
    const std::vector<float> levels{0, 0, 72, 75, 73, 0, 71, 72, 75, 0, 0, 0, 0, 0, 80, 0, 0, 0, 0, 0, 73};
    struct Row {
        double merge;
        std::vector<Exceedance> expected;
    };
    const Row rows[] = {
        {0, {{2, 4, 75, 3}, {7, 8, 75, 8}, {14, 14, 80, 14}, {20, 20, 73, 20}}},
        {0.2, {{2, 4, 75, 3}, {7, 8, 75, 8}, {14, 14, 80, 14}, {20, 20, 73, 20}}},   // strictly less
        {0.21, {{2, 8, 75, 3}, {14, 14, 80, 14}, {20, 20, 73, 20}}},                 // the earlier on a tie
        {0.6, {{2, 20, 80, 14}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.merge);
        ExceedanceTrack track(10, 71, row.merge);
        // In pieces of three, as the load hands them over.
        for (int32_t from = 1; from < static_cast<int32_t>(levels.size()); from += 3)
            track.addLevels(levels.data() + from, std::min<int32_t>(3, levels.size() - from), from);
        EXPECT_EQ(track.finish(), row.expected);
    }
}

TEST(Exceedances, OffsetsDurationsAndTimes)
{
    const Exceedance e{101, 250, 80, 120};
    EXPECT_EQ(sampleOffset(e.first, 100), 1.0);
    EXPECT_EQ(exceedanceDuration(e, 100), 1.5);
    EXPECT_EQ(sampleTime(std::nullopt, 101, 100), std::nullopt);
    // Sample 2 at 3 samples/s comes 333333.33 us after the first.
    EXPECT_EQ(sampleTime(1000000, 2, 3), 1333333);
    EXPECT_EQ(sampleTime(-5, 3, 3), 666662);
}

TEST(Exceedances, AMeanSquareUnderTheThresholdCountsWhenItsLevelRoundsAboveIt)
{
    // 71.3 dB is no float: a level a few 1e-9 dB under it rounds to the
    // float above it, and is above the threshold as the kept level is.
    const double atThreshold = 1e-18 * std::pow(10.0, (71.3 + 29) / 10);
    const std::vector<double> meanSquares{atThreshold * (1 - 1e-9), atThreshold * (1 - 1e-9), 0};
    const LevelScale scale(100);
    std::vector<float> levels;
    for (double m : meanSquares)
        levels.push_back(scale.level(m));
    ASSERT_GT(levels[0], 71.3);
    ExceedanceTrack fromLevels(100, 71.3), fromMeanSquares(100, 71.3);
    fromLevels.addLevels(levels.data(), 3, 1);
    fromMeanSquares.addMeanSquares(meanSquares.data(), 3, 1);
    EXPECT_EQ(fromMeanSquares.finish(), (std::vector<Exceedance>{{1, 2, levels[0], 1}}));
    EXPECT_EQ(fromLevels.finish(), (std::vector<Exceedance>{{1, 2, levels[0], 1}}));
}
