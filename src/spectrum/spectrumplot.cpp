#include "spectrum/spectrumplot.h"

#include <cmath>

std::vector<PlotSegment> spectrumSegments(const std::array<float, 1024> &spectrum, float peak)
{
    std::vector<PlotSegment> lines;
    // An all-zero spectrum has no defined heights; the view stays empty.
    if (!(peak > 0) || !std::isfinite(peak))
        return lines;
    lines.reserve(spectrum.size());
    for (size_t k = 0; k < spectrum.size(); ++k) {
        const float x = static_cast<float>(k);
        lines.push_back({x, 0.0f, x, static_cast<float>(spectrum[k] / peak)});
    }
    return lines;
}
