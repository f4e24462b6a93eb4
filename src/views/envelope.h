#pragma once

// Long traces drawn at the resolution of the device they are drawn on: one
// vertical extent per device column, however many samples it covers.

#include "session/geometry.h"
#include "views/plotaxis.h"

#include <span>
#include <vector>

struct ColumnRange {
    float low = 0, high = 0;
};

// Of n samples over `columns` columns (n >= columns >= 1): sample k falls
// in column floor(k * columns / n). Each column's range spans its samples
// and, from the second column on, the last sample of the column before, so
// that neighbouring columns join where the trace passes between them.
std::vector<ColumnRange> columnEnvelope(std::span<const float> samples, int columns);

// A trace as drawn: either a polyline through the samples, or a band of
// one vertical stroke per column, columnWidth wide, from points[2c] (the
// column's high) to points[2c + 1] (its low) at the column's middle.
struct TraceShape {
    bool band = false;
    std::vector<PlotPoint> points;
    double columnWidth = 0;
};

// Sample k of n at x = left + k / n * width (the span covers n sample
// intervals), its value at y(value). A band of ceil(width * columnsPerUnit)
// columns when the samples are at least that many, its strokes lengthened
// about their middles to at least `thickness` and a column's width (a
// quiet stretch stays as thick as a drawn line); else a polyline.
TraceShape traceShape(std::span<const float> samples, double left, double width, double columnsPerUnit,
                      const LinearMap &y, double thickness = 0);
