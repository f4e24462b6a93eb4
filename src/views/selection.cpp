#include "views/selection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

int32_t roundToInt32(double x)
{
    constexpr double low = std::numeric_limits<int32_t>::min();
    constexpr double high = std::numeric_limits<int32_t>::max();
    if (std::isnan(x))
        return 0;
    return static_cast<int32_t>(std::clamp(std::nearbyint(x), low, high));
}

int32_t sampleAtX(double x, double width, int32_t count)
{
    return roundToInt32(x / width * count);
}

double xOfSample(int64_t sample, int32_t count, double width)
{
    return static_cast<double>(sample) / count * width;
}

PlotRect bandRect(double startX, double endX, double height)
{
    return {std::min(startX, endX), 0, std::max(startX, endX), height};
}

SegmentBounds selectSegment(int32_t pressSample, int32_t releaseSample, int32_t count)
{
    // The release is held inside the record too, so a drag that leaves the
    // view on the left still gives a segment starting at sample 1.
    int32_t start = std::max(pressSample, 1);
    int32_t end = std::clamp(releaseSample, 1, std::max(count, 1));
    if (end < start)
        std::swap(start, end);
    if (start == end)
        return {0, count, false};
    return {start, end, true};
}

SegmentBounds keepSegment(int32_t start, int32_t end, int32_t count)
{
    if (end > count)
        end = count;
    // A start past the new end moves to the first sample: entry 0 holds no
    // sample and must not count in the segment's figures.
    if (start > count)
        start = 1;
    // A segment that now starts on the record's last sample has shrunk to
    // that one sample: the whole record, as after a click.
    if (start == end)
        return {0, count, false};
    return {start, end, true};
}
