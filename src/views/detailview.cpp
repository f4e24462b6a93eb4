#include "views/detailview.h"

#include <algorithm>
#include <cmath>

namespace {

float heldY(double y, double limit)
{
    if (std::isnan(y))
        return static_cast<float>(limit);
    return static_cast<float>(std::clamp(y, -limit, limit));
}

} // namespace

DetailSpan wholeRecord(int32_t count)
{
    return {0, static_cast<double>(count)};
}

DetailSpan heldInRecord(DetailSpan s, int32_t count)
{
    const double fewest = std::min<double>(fewestSamples, count);
    s.span = std::clamp(s.span, fewest, static_cast<double>(count));
    s.first = std::clamp(s.first, 0.0, count - s.span);
    return s;
}

DetailSpan zoomedSpan(DetailSpan s, double factor, double anchor, int32_t count)
{
    const double at = s.first + anchor * s.span;
    const double fewest = std::min<double>(fewestSamples, count);
    const double span = std::clamp(s.span * factor, fewest, static_cast<double>(count));
    return heldInRecord({at - anchor * span, span}, count);
}

DetailSpan pannedSpan(DetailSpan s, double samples, int32_t count)
{
    return heldInRecord({s.first + samples, s.span}, count);
}

DetailSpan spanAround(int64_t first, int64_t last, int32_t count)
{
    const double length = static_cast<double>(last - first + 1);
    return heldInRecord({static_cast<double>(first - 1) - length / 6, length * 4 / 3}, count);
}

int32_t sampleAtX(DetailSpan s, double x, double width, int32_t count)
{
    const double position = s.first + x / width * s.span;
    return static_cast<int32_t>(std::clamp(std::nearbyint(position) + 1, 1.0, static_cast<double>(count)));
}

double xOfSample(DetailSpan s, int64_t sample, double width)
{
    return (static_cast<double>(sample - 1) - s.first) / s.span * width;
}

std::vector<ValueRange> columnRanges(const float *values, int64_t count, const MinMaxSummary &summary,
                                     DetailSpan s, int columns)
{
    std::vector<ValueRange> ranges(static_cast<size_t>(std::max(columns, 0)));
    const double step = s.span / columns;
    // Column c holds the samples at positions first + c step up to, not
    // including, first + (c + 1) step. Where a column spans more than
    // sixteen of the summary's blocks, its edges move to the nearest block
    // edge (by less than a sixteenth of a column): every sample still lies
    // in one column, and the summary alone gives the columns' ranges.
    int64_t grain = 1;
    while (grain * (grain == 1 ? MinMaxSummary::base : MinMaxSummary::fan) * 16 <= step)
        grain *= grain == 1 ? MinMaxSummary::base : MinMaxSummary::fan;
    const auto edge = [&](int c) {
        const double at = s.first + c * step;
        const int64_t e = grain == 1 ? static_cast<int64_t>(std::ceil(at))
                                     : static_cast<int64_t>(std::llround(at / grain)) * grain;
        return std::clamp<int64_t>(e, 0, count);
    };
    int64_t from = edge(0);
    for (int c = 0; c < columns; ++c) {
        const int64_t to = edge(c + 1);
        if (to > from) {
            ranges[c] = summary.range(values, from, to);
            // Narrow columns join the last sample before them; wide ones
            // overlap their neighbours of themselves.
            if (from > 0 && grain == 1)
                ranges[c].add(values[from - 1]);
        }
        from = to;
    }
    return ranges;
}

std::vector<PlotSegment> columnLines(const std::vector<ValueRange> &ranges, double offset, double scale,
                                     double yLimit)
{
    std::vector<PlotSegment> lines;
    lines.reserve(ranges.size());
    for (size_t c = 0; c < ranges.size(); ++c) {
        if (ranges[c].empty())
            continue;
        const float x = static_cast<float>(c + 0.5);
        lines.push_back({x, heldY(offset + ranges[c].low * scale, yLimit), x,
                         heldY(offset + ranges[c].high * scale, yLimit)});
    }
    return lines;
}

std::vector<PlotPoint> samplePolyline(const float *values, int64_t count, DetailSpan s, int columns,
                                      double offset, double scale, double yLimit)
{
    const int64_t from = std::max<int64_t>(0, static_cast<int64_t>(std::floor(s.first)) - 1);
    const int64_t to = std::min<int64_t>(count, static_cast<int64_t>(std::ceil(s.first + s.span)) + 2);
    std::vector<PlotPoint> points;
    for (int64_t j = from; j < to; ++j)
        points.push_back({static_cast<float>((j - s.first) / s.span * columns),
                          heldY(offset + values[j] * scale, yLimit)});
    return points;
}
