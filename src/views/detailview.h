#pragma once

#include "session/geometry.h"
#include "views/minmax.h"

#include <cstdint>
#include <vector>

// The stretch of a record the detail view shows, in sample positions:
// sample k of the record (1..count) lies at position k - 1, and the view
// shows positions first .. first + span across its width.
struct DetailSpan {
    double first = 0;
    double span = 0;
};

// The fewest samples the view shows across its width.
inline constexpr double fewestSamples = 10;

// The whole record: first 0, span count.
DetailSpan wholeRecord(int32_t count);

// Held inside the record: the span between fewestSamples (or count, when
// fewer) and count, the first position between 0 and count - span.
DetailSpan heldInRecord(DetailSpan s, int32_t count);

// Zoomed by `factor` (below 1 shows less) about the position at `anchor`,
// a fraction 0..1 of the width, which stays where it is.
DetailSpan zoomedSpan(DetailSpan s, double factor, double anchor, int32_t count);

// Moved by `samples` positions (positive: later).
DetailSpan pannedSpan(DetailSpan s, double samples, int32_t count);

// Samples first..last with a sixth of their length on either side.
DetailSpan spanAround(int64_t first, int64_t last, int32_t count);

// The sample (1..count) nearest to x of a view `width` wide.
int32_t sampleAtX(DetailSpan s, double x, double width, int32_t count);

// x of sample k in a view `width` wide.
double xOfSample(DetailSpan s, int64_t sample, double width);

// The range of each of `columns` pixel columns: the values of the samples
// drawn in that column, and of the last one before it, so that the columns
// join. values[0..count-1] with their summary.
std::vector<ValueRange> columnRanges(const float *values, int64_t count, const MinMaxSummary &summary,
                                     DetailSpan s, int columns);

// A vertical line per column of `ranges` at x = column + 0.5, values turned
// into y by y = offset + value * scale; empty columns give none.
std::vector<PlotSegment> columnLines(const std::vector<ValueRange> &ranges, double offset, double scale,
                                     double yLimit);

// Fewer samples than columns: the samples in view (and one either side)
// joined by lines, x in columns, y = offset + value * scale.
std::vector<PlotPoint> samplePolyline(const float *values, int64_t count, DetailSpan s, int columns,
                                      double offset, double scale, double yLimit);
