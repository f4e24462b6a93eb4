#include "views/selection.h"

#include <gtest/gtest.h>

TEST(Selection, MouseToSampleRoundsHalfToEven)
{
    EXPECT_EQ(sampleAtX(250, 1000, 10), 2);   // 2.5
    EXPECT_EQ(sampleAtX(750, 1000, 10), 8);   // 7.5
    EXPECT_EQ(sampleAtX(0, 1000, 10), 0);
    EXPECT_EQ(sampleAtX(1e30, 1000, 10), 2147483647);   // far right, captured mouse
    EXPECT_EQ(roundToInt32(100.5), 100);
    EXPECT_EQ(roundToInt32(101.5), 102);
    EXPECT_DOUBLE_EQ(xOfSample(5, 10, 1000), 500);
}

TEST(Selection, ReleaseMakesTheSegment)
{
    const struct {
        const char *what;
        int press, release, start, end;
        bool has;
    } rows[] = {
        {"left to right", 10, 90, 10, 90, true},
        {"right to left is swapped", 90, 10, 10, 90, true},
        {"press at 0 raised to 1", 0, 50, 1, 50, true},
        {"release past the end lowered to N", 40, 500, 40, 100, true},
        {"release left of the view", 40, -30, 1, 40, true},
        {"click selects the whole record", 40, 40, 0, 100, false},
        {"press at 0 and release on 1", 0, 1, 0, 100, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const SegmentBounds b = selectSegment(row.press, row.release, 100);
        EXPECT_EQ(b.start, row.start);
        EXPECT_EQ(b.end, row.end);
        EXPECT_EQ(b.hasSegment, row.has);
    }
}

TEST(Selection, KeptSegmentAfterAShorterRecord)
{
    SegmentBounds b = keepSegment(100, 900, 500);
    EXPECT_EQ(b.start, 100);
    EXPECT_EQ(b.end, 500);
    b = keepSegment(600, 900, 500);
    EXPECT_EQ(b.start, 1);
    EXPECT_EQ(b.end, 500);
    EXPECT_TRUE(b.hasSegment);
    b = keepSegment(100, 200, 500);
    EXPECT_EQ(b.start, 100);
    EXPECT_EQ(b.end, 200);
    // Starting on the new last sample, the segment would be that one sample.
    b = keepSegment(500, 900, 500);
    EXPECT_EQ(b.start, 0);
    EXPECT_EQ(b.end, 500);
    EXPECT_FALSE(b.hasSegment);
}

TEST(Selection, BandIsNormalised)
{
    const PlotRect r = bandRect(300, 120, 50);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, 50);
}
