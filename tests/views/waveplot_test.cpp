#include "views/waveplot.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(WavePlot, DecimationStep)
{
    const struct {
        int count, step;
    } rows[] = {{0, 1},      {1, 1},      {299999, 1}, {300000, 2}, // 1.5 rounds to 2
                {500000, 2}, // 2.5 rounds to 2
                {500001, 3}, {699999, 3}, {700000, 4}, {1000000, 5}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.count);
        EXPECT_EQ(decimationStep(row.count), row.step);
    }
}

TEST(WavePlot, VerticesAndSegmentCounts)
{
    EXPECT_EQ(plotVertexCount(299999, 1) - 1, 299998);
    // 300000 samples: step 2, vertices 1, 3, ..., 299999, 149999 segments.
    EXPECT_EQ(plotVertexCount(300000, 2) - 1, 149999);
    EXPECT_EQ(plotVertexSample(plotVertexCount(300000, 2) - 1, 2), 299999);
    EXPECT_EQ(plotVertexCount(0, 1), 0);
    EXPECT_EQ(plotVertexCount(1, 1), 0);
    EXPECT_EQ(plotVertexCount(2, 1), 2);
}

TEST(WavePlot, WaveformScale)
{
    const std::vector<float> s{0, 0.5f, -2.0f, 2.0f, 0.0f};
    const auto p = wavePolyline(s, 4, 2.0f, 1000, 200);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_FLOAT_EQ(p[0].x, 250);    // sample 1 one sample-width in
    EXPECT_FLOAT_EQ(p[0].y, 75);
    EXPECT_FLOAT_EQ(p[1].y, 200);    // -peak on the bottom edge
    EXPECT_FLOAT_EQ(p[2].y, 0);      // +peak on the top edge
    EXPECT_FLOAT_EQ(p[3].x, 1000);   // sample N on the right edge
    EXPECT_FLOAT_EQ(p[3].y, 100);
}

TEST(WavePlot, EqualSamplesDrawTheZeroLine)
{
    const auto p = wavePolyline(std::vector<float>(11, 0.0f), 10, 0.0f, 500, 80);
    ASSERT_EQ(p.size(), 10u);
    for (const auto &point : p)
        EXPECT_EQ(point.y, 40.0f);
}

TEST(WavePlot, LevelScaleAndSilence)
{
    const std::vector<float> level{0, 110, 71, 0, -INFINITY, INFINITY, -50};
    const auto p = levelPolyline(level, 6, 600, 110);
    ASSERT_EQ(p.size(), 6u);
    EXPECT_FLOAT_EQ(p[0].y, 0);      // 110 dB on the top edge
    EXPECT_FLOAT_EQ(p[1].y, 39);     // 71 dB on the green line
    EXPECT_FLOAT_EQ(p[2].y, 110);    // 0 dB on the bottom edge
    // Minus infinity falls below the view but stays a finite coordinate.
    EXPECT_TRUE(std::isfinite(p[3].y));
    EXPECT_GT(p[3].y, 110);
    EXPECT_TRUE(std::isfinite(p[4].y));
    EXPECT_LT(p[4].y, 0);
    EXPECT_FLOAT_EQ(p[5].y, 160);    // negative levels below the view
    EXPECT_EQ(thresholdLine(600, 110).y1, 39.0f);
    EXPECT_EQ(thresholdLine(600, 110).x2, 600.0f);
}

TEST(WavePlot, ProgressReachesTheEndWithoutOverflow)
{
    EXPECT_EQ(plotFraction(1000, 1000), 1);
    EXPECT_EQ(plotFraction(500, 1000), 0.5);
    EXPECT_EQ(plotFraction(40000000, 40000000), 1);
}
