#include "views/waveplot.h"

#include <algorithm>
#include <cmath>

int decimationStep(int32_t count)
{
    const int step = static_cast<int>(std::nearbyint(count / 200000.0));
    return step < 1 ? 1 : step;
}

int plotVertexCount(int32_t count, int step)
{
    if (count <= step)
        return 0;
    return static_cast<int>((static_cast<int64_t>(count) - 1) / step + 1);
}

namespace {

// Vertices 1, 1 + step, ... up to count at x = k / count * width, with y
// given for each sample k.
template <class YOf>
std::vector<PlotPoint> polyline(int32_t count, double width, YOf yOf)
{
    const int step = decimationStep(count);
    std::vector<PlotPoint> points(plotVertexCount(count, step));
    for (size_t v = 0; v < points.size(); ++v) {
        const int64_t k = plotVertexSample(static_cast<int64_t>(v), step);
        points[v] = {static_cast<float>(static_cast<double>(k) / count * width),
                     static_cast<float>(yOf(k))};
    }
    return points;
}

} // namespace

std::vector<PlotPoint> wavePolyline(const std::vector<float> &samples, int32_t count, float peak,
                                    double width, double height)
{
    return polyline(count, width, [&](int64_t k) {
        // A record of equal samples (peak 0) lies on the zero line.
        return peak > 0 ? (0.5 - samples[k] * 0.5 / peak) * height : 0.5 * height;
    });
}

std::vector<PlotPoint> levelPolyline(const std::vector<float> &slowLevel, int32_t count,
                                     double width, double height)
{
    return polyline(count, width, [&](int64_t k) {
        return std::clamp((110 - slowLevel[k]) / 110 * height, -2 * height, 3 * height);
    });
}

PlotSegment thresholdLine(double width, double height)
{
    // 71 dB on the 0..110 dB scale, counted from the top.
    const float y = static_cast<float>(39.0 / 110 * height);
    return {0.0f, y, static_cast<float>(width), y};
}

double plotFraction(int64_t sample, int32_t count)
{
    return static_cast<double>(sample) / count;
}
