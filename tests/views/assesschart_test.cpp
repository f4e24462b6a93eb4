#include "views/assesschart.h"

#include "assess/guidelines.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const PlotRect area{0, 0, 800, 400};
const FontUnits font{14, 7};

// A coordinate read back through two labelled grid marks.
double readBack(const std::vector<AxisMark> &marks, double at)
{
    const AxisMark &a = marks.front(), &b = marks.back();
    const double va = std::strtod(a.label.c_str(), nullptr), vb = std::strtod(b.label.c_str(), nullptr);
    return va + (at - a.at) / (b.at - a.at) * (vb - va);
}

} // namespace

// Each line's corners, read back through the axes' labels, are the
// guideline values at 1, 10, 50 and 100 Hz.
TEST(AssessChart, GuidelineCornersReadBackAsTheGuidelineValues)
{
    const double corners[] = {1, 10, 50, 100};
    for (Place place : {Place::Foundation, Place::TopFloor, Place::LongTerm}) {
        const StructureChart chart{Building::Sensitive, place, true, {}};
        const ChartGeometry g = chartGeometry(chart, area, font, ".");
        ASSERT_EQ(g.lines.size(), 3u);
        EXPECT_TRUE(g.lines.back().chosen);
        for (const ChartLine &line : g.lines) {
            SCOPED_TRACE(testing::Message() << optionName(place) << ", " << optionName(line.building));
            ASSERT_EQ(line.points.size(), 4u);
            for (std::size_t i = 0; i < 4; ++i) {
                EXPECT_NEAR(readBack(g.frame.x, line.points[i].x), corners[i], 1e-3);
                EXPECT_NEAR(readBack(g.frame.y, line.points[i].y),
                            *guidelineValue(line.building, place, corners[i]), 1e-3);
            }
        }
    }
}

// A point on the line (30 Hz, 10 mm/s for dwellings) is drawn on it, and
// found there; points outside 1 to 100 Hz stay at the edges.
TEST(AssessChart, PointsLieOnTheLinearFrequencyAxis)
{
    StructureChart chart{Building::Dwelling, Place::Foundation, false, {}};
    chart.points = {{30, 10, Verdict::Met, "HHZ"}, {0.5, 2, Verdict::NoGuideline, "HHN"},
                    {150, 4, Verdict::Met, "HHE"}};
    const ChartGeometry g = chartGeometry(chart, area, font, ".");
    ASSERT_EQ(g.lines.size(), 1u);
    const PlotPoint at10 = g.lines[0].points[1], at50 = g.lines[0].points[2];
    const PlotPoint p = g.points[0];
    // On the straight line from the 10 Hz corner to the 50 Hz corner, a
    // half of the way (a logarithmic axis would put it at 68 %).
    EXPECT_NEAR(p.x, at10.x + 0.5 * (at50.x - at10.x), 1e-3);
    EXPECT_NEAR(p.y, at10.y + 0.5 * (at50.y - at10.y), 1e-3);
    EXPECT_FLOAT_EQ(g.points[1].x, static_cast<float>(g.frame.plot.left));
    EXPECT_FLOAT_EQ(g.points[2].x, static_cast<float>(g.frame.plot.right));
    EXPECT_EQ(chartPointAt(g, {p.x + 3, p.y - 3}, 6), 0u);
    EXPECT_FALSE(chartPointAt(g, {p.x + 9, p.y}, 6));
}

// An event's governing peak at its own time; events spaced in time as
// they happened, their peaks and guideline values on the mm/s scale.
TEST(AssessChart, TimelinePlacesEachGoverningPeakAtItsTime)
{
    constexpr int64_t start = 1714780795000000;
    AssessEvent event;
    for (const char *channel : {"HHZ", "HHN", "HHE"}) {
        EventComponent c;
        c.channel = {channel, 200, start, 0};
        c.structure.ppv = 3;
        event.components.push_back(c);
    }
    event.components[0].structure.ppv = 8;   // larger, but not judged where it stands
    StructureResult &n = event.components[1].structure;
    n.ppv = 6;
    n.ppvIndex = 300;   // 1.5 s in
    n.limit = 5;
    event.governing = 1;
    event.verdict = Verdict::Exceeded;
    const std::optional<TimelineEvent> first = timelineEvent(event);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->micros, start + 1500000);
    EXPECT_EQ(first->value, 6);
    EXPECT_EQ(first->limit, 5);

    const int64_t hour = int64_t{3600} * 1000000;
    const std::vector<TimelineEvent> events{*first, {first->micros + 3 * hour, 2, 7, Verdict::Met},
                                            {first->micros + hour, 4, std::nullopt, Verdict::NoGuideline}};
    const TimelineGeometry g = timelineGeometry(events, area, font, ".");
    ASSERT_EQ(g.points.size(), 3u);
    EXPECT_NEAR((g.points[2].x - g.points[0].x) / (g.points[1].x - g.points[0].x), 1.0 / 3, 1e-4);
    EXPECT_NEAR(readBack(g.frame.y, g.points[1].y), 2, 1e-3);
    ASSERT_EQ(g.limits.size(), 2u);
    EXPECT_NEAR(readBack(g.frame.y, g.limits[1].y1), 7, 1e-3);
}
