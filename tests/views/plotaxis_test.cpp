#include "views/plotaxis.h"

#include <gtest/gtest.h>

TEST(PlotAxis, NiceStepCutsTheSpanIntoAtMostSoManyParts)
{
    const struct {
        double span;
        int maxTicks;
        double step;
    } rows[] = {{10, 5, 2},     {7, 5, 2},  // 1.4 rounds up to 2
                {25, 5, 5},     {26, 5, 10}, {100, 10, 10}, {6.9, 2, 5},
                {0.3, 3, 0.1},  {0.07, 5, 0.02}, {1, 1, 1}, {3, 0, 5}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.span << " in " << row.maxTicks);
        EXPECT_DOUBLE_EQ(niceStep(row.span, row.maxTicks), row.step);
    }
}

TEST(PlotAxis, TimeTicksFallOnRoundClockTimes)
{
    // 2024-05-03 23:59:55.000 and 12:00:00.250 UTC.
    constexpr int64_t beforeMidnight = 1714780795000000, noon = 1714737600250000;
    const struct {
        const char *name;
        std::optional<int64_t> start;
        double low, high, origin;
        int maxTicks;
        const char *separator;
        std::vector<Tick> ticks;
    } rows[] = {
        {"across midnight", beforeMidnight, 0, 9, 0, 5, ".",
         {{1, "23:59:56", "2024-05-03"}, {3, "23:59:58", ""}, {5, "00:00:00", "2024-05-04"},
          {7, "00:00:02", ""}, {9, "00:00:04", ""}}},
        {"below a second", noon, 0, 0.6, 0, 3, ",",
         {{0.15, "12:00:00,4", "2024-05-03"}, {0.35, "12:00:00,6", ""}, {0.55, "12:00:00,8", ""}}},
        {"whole days", beforeMidnight, 0, 5 * 86400, 0, 3, ".",
         // Two-day steps from 1970-01-01, a Thursday.
         {{86400 + 5, "2024-05-05", ""}, {3 * 86400 + 5, "2024-05-07", ""}}},
        // Seconds from the record's start, the axis starting 95 s into it.
        {"no start time", std::nullopt, 0, 30, 95, 3, ",",
         {{5, "100", ""}, {15, "110", ""}, {25, "120", ""}}},
        {"no start time, tenths", std::nullopt, 0, 0.25, 0, 3, ",",
         {{0, "0,0", ""}, {0.1, "0,1", ""}, {0.2, "0,2", ""}}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<Tick> ticks = timeTicks(row.low, row.high, row.start, row.maxTicks, row.separator, row.origin);
        ASSERT_EQ(ticks.size(), row.ticks.size());
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            EXPECT_NEAR(ticks[i].value, row.ticks[i].value, 1e-9);
            EXPECT_EQ(ticks[i].label, row.ticks[i].label);
            EXPECT_EQ(ticks[i].date, row.ticks[i].date);
        }
    }
}
