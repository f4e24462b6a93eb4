#pragma once

// Geometry of the DIN 4150-3 chart (peak velocity against frequency, with
// the guideline lines) and of the monitoring timeline (each event's peak
// against its time). Coordinates are the painter's, y downwards.

#include "views/assessevent.h"
#include "views/plotframe.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct ChartPoint {
    double frequency = 0;   // Hz, the frequency used
    double value = 0;       // mm/s
    Verdict verdict = Verdict::NoGuideline;
    std::string label;      // written beside the point; empty for none
};

struct StructureChart {
    Building building = Building::Dwelling;
    Place place = Place::Foundation;
    bool otherLines = true;          // the other two building lines, faint
    std::vector<ChartPoint> points;
};

// The chart of one event: each component with a frequency used, labelled
// with its channel code.
StructureChart structureChart(const AssessEvent &event);

// The point of an event's governing component (of its largest peak when
// none governs), unlabelled, for a chart of many events; none without a
// frequency used.
std::optional<ChartPoint> governingPoint(const AssessEvent &event);

struct ChartLine {
    Building building = Building::Dwelling;
    bool chosen = false;
    std::vector<PlotPoint> points;   // at 1, 10, 50 and 100 Hz
    PlotLabel label;                 // near 100 Hz; empty text above the scale
};

struct ChartGeometry {
    AxisFrame frame;                 // x 1 to 100 Hz, linear; y from 0 mm/s
    std::vector<ChartLine> lines;    // the other lines first, the chosen one last
    // Where each of the chart's points is drawn, in its order; a frequency
    // outside 1 to 100 Hz at the nearer edge.
    std::vector<PlotPoint> points;
    std::vector<PlotLabel> labels;   // of the labelled points, kept from overlapping
};

// The y scale reaches past the chosen line's top and the largest point.
ChartGeometry chartGeometry(const StructureChart &chart, const PlotRect &area, const FontUnits &font,
                            std::string_view separator);

// The point drawn nearest to `at` within `radius`, for showing its figures.
std::optional<std::size_t> chartPointAt(const ChartGeometry &geometry, PlotPoint at, double radius);

struct TimelineEvent {
    int64_t micros = 0;              // time of the governing peak, UTC microseconds since 1970
    double value = 0;                // mm/s
    std::optional<double> limit;     // guideline value at its frequency, mm/s
    Verdict verdict = Verdict::NoGuideline;
};

// An event's governing (or largest) peak at its time; none without a start time.
std::optional<TimelineEvent> timelineEvent(const AssessEvent &event);

struct TimelineGeometry {
    AxisFrame frame;                   // x the monitoring period in UTC, y from 0 mm/s
    std::vector<PlotPoint> points;     // each event's peak, in the order given
    std::vector<PlotSegment> limits;   // a short dash at the limit of each event that has one
};

TimelineGeometry timelineGeometry(std::span<const TimelineEvent> events, const PlotRect &area,
                                  const FontUnits &font, std::string_view separator);
