#include "views/envelope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

std::vector<ColumnRange> columnEnvelope(std::span<const float> samples, int columns)
{
    const auto n = static_cast<int64_t>(samples.size());
    std::vector<ColumnRange> ranges(static_cast<std::size_t>(columns));
    // First sample of column c: ceil(c * n / columns).
    const auto firstOf = [&](int64_t c) { return (c * n + columns - 1) / columns; };
    for (int64_t c = 0; c < columns; ++c) {
        const int64_t from = c == 0 ? 0 : firstOf(c) - 1, to = firstOf(c + 1);
        const auto [low, high] = std::minmax_element(samples.begin() + from, samples.begin() + to);
        ranges[static_cast<std::size_t>(c)] = {*low, *high};
    }
    return ranges;
}

TraceShape traceShape(std::span<const float> samples, double left, double width, double columnsPerUnit,
                      const LinearMap &y)
{
    TraceShape shape;
    const auto n = static_cast<double>(samples.size());
    const auto columns = static_cast<int64_t>(std::ceil(width * columnsPerUnit));
    if (columns < 1 || n < static_cast<double>(columns)) {
        shape.points.reserve(samples.size());
        for (std::size_t k = 0; k < samples.size(); ++k)
            shape.points.push_back({static_cast<float>(left + static_cast<double>(k) / n * width),
                                    static_cast<float>(y(samples[k]))});
        return shape;
    }
    const std::vector<ColumnRange> ranges = columnEnvelope(samples, static_cast<int>(columns));
    shape.band = true;
    shape.points.resize(2 * ranges.size());
    const double columnWidth = width / static_cast<double>(columns);
    for (std::size_t c = 0; c < ranges.size(); ++c) {
        const auto x = static_cast<float>(left + (static_cast<double>(c) + 0.5) * columnWidth);
        shape.points[c] = {x, static_cast<float>(y(ranges[c].high))};
        shape.points[shape.points.size() - 1 - c] = {x, static_cast<float>(y(ranges[c].low))};
    }
    return shape;
}
