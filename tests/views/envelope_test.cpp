#include "views/envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

// The envelope against a direct pass over the samples: each sample widens
// its own column, and the last sample of a column also the next one.
TEST(Envelope, ColumnsHoldTheMinimumAndMaximumOfTheirSamples)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> value(-5, 5);
    const struct {
        int64_t n;
        int columns;
    } rows[] = {{1000, 1}, {1000, 7}, {1001, 100}, {481, 13}, {50, 50}, {100000, 997}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.n << " samples, " << row.columns << " columns");
        std::vector<float> samples(static_cast<std::size_t>(row.n));
        for (float &v : samples)
            v = value(random);
        std::vector<ColumnRange> expected(static_cast<std::size_t>(row.columns), {1e9f, -1e9f});
        const auto widen = [&](int64_t c, float v) {
            expected[c].low = std::min(expected[c].low, v);
            expected[c].high = std::max(expected[c].high, v);
        };
        for (int64_t k = 0; k < row.n; ++k) {
            const int64_t c = k * row.columns / row.n;
            widen(c, samples[k]);
            if (k + 1 < row.n && (k + 1) * row.columns / row.n != c)
                widen(c + 1, samples[k]);
        }
        const std::vector<ColumnRange> ranges = columnEnvelope(samples, row.columns);
        ASSERT_EQ(ranges.size(), expected.size());
        for (std::size_t c = 0; c < ranges.size(); ++c) {
            EXPECT_EQ(ranges[c].low, expected[c].low) << "column " << c;
            EXPECT_EQ(ranges[c].high, expected[c].high) << "column " << c;
        }
    }
}

TEST(Envelope, FewerSamplesThanColumnsMakeAPolylineThroughThem)
{
    const std::vector<float> samples{0, 1, -1, 2};
    const LinearMap y{-2, 2, 100, 0};
    const TraceShape line = traceShape(samples, 10, 40, 1, y);   // 40 columns
    EXPECT_FALSE(line.band);
    ASSERT_EQ(line.points.size(), 4u);
    EXPECT_FLOAT_EQ(line.points[1].x, 20);   // one of four sample intervals in
    EXPECT_FLOAT_EQ(line.points[3].y, 0);
    // Two columns, each a stroke from its high to its low.
    const TraceShape band = traceShape(samples, 10, 40, 0.05, y);
    EXPECT_TRUE(band.band);
    EXPECT_DOUBLE_EQ(band.columnWidth, 20);
    ASSERT_EQ(band.points.size(), 4u);
    EXPECT_FLOAT_EQ(band.points[0].x, 20);
    EXPECT_FLOAT_EQ(band.points[0].y, 25);   // 1
    EXPECT_FLOAT_EQ(band.points[1].y, 50);   // 0
    EXPECT_FLOAT_EQ(band.points[2].y, 0);    // 2, the first column's 1 joining them
    EXPECT_FLOAT_EQ(band.points[3].y, 75);   // -1
}
