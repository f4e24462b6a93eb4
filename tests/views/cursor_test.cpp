#include "views/cursor.h"

#include <gtest/gtest.h>

TEST(Cursor, PositionFromTheViewRoundsHalfToEvenAndIsClamped)
{
    EXPECT_EQ(cursorBinAtX(100.5), 100);
    EXPECT_EQ(cursorBinAtX(101.5), 102);
    EXPECT_EQ(cursorBinAtX(1023.6), 1023);   // the right-most half line
    EXPECT_EQ(cursorBinAtX(-40), 0);
    EXPECT_EQ(cursorBinAtX(1e12), 1023);     // a drag far outside the view
    EXPECT_EQ(clampCursorBin(5000), 1023);
    EXPECT_EQ(clampCursorBin(-1), 0);
}

TEST(Cursor, ReadOuts)
{
    EXPECT_EQ(cursorFrequencyText(0, 100, "."), "0.");
    EXPECT_EQ(cursorFrequencyText(1023, 100, "."), "49.95");
    EXPECT_EQ(cursorFrequencyText(512, 200, "."), "50.");
    EXPECT_EQ(cursorFrequencyText(1023, 100, ","), "49,95");
    EXPECT_EQ(cursorValueText(1.234567e-6f, "."), "1.23");
    EXPECT_EQ(cursorValueText(0, "."), "0.");
}

TEST(Cursor, LinesAndTick)
{
    const auto lines = cursorSegments(10, 0.5f, 2.0f);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].x1, 10);
    EXPECT_EQ(lines[0].y1, 0);
    EXPECT_EQ(lines[0].x2, 10);
    EXPECT_EQ(lines[0].y2, 1);
    EXPECT_EQ(lines[1].x1, -5);   // the tick's left half may leave the view
    EXPECT_EQ(lines[1].x2, 25);
    EXPECT_EQ(lines[1].y1, 0.25f);
    EXPECT_EQ(lines[1].y2, 0.25f);
    // An all-zero spectrum has no height for the tick.
    EXPECT_EQ(cursorSegments(10, 0, 0).size(), 1u);
}
