#include "views/cursor.h"

#include "session/numbertext.h"

#include <algorithm>
#include <cmath>

int16_t clampCursorBin(int value)
{
    return static_cast<int16_t>(std::clamp(value, cursorFirstBin, cursorLastBin));
}

int16_t cursorBinAtX(double x)
{
    if (std::isnan(x))
        return cursorFirstBin;
    const double bin = std::clamp(std::nearbyint(x), double(cursorFirstBin), double(cursorLastBin));
    return static_cast<int16_t>(bin);
}

std::vector<PlotSegment> cursorSegments(int16_t bin, float value, float peak)
{
    const float x = bin;
    std::vector<PlotSegment> lines{{x, 0.0f, x, 1.0f}};
    // Without a peak the tick has no height; it is left out.
    if (peak > 0 && std::isfinite(peak)) {
        const float h = static_cast<float>(value / peak);
        lines.push_back({static_cast<float>(int16_t(bin - 15)), h,
                         static_cast<float>(int16_t(bin + 15)), h});
    }
    return lines;
}

std::string cursorFrequencyText(int16_t bin, int32_t sampleRate, std::string_view separator)
{
    return format2(bin / 2048.0 * sampleRate, separator);
}

std::string cursorValueText(float value, std::string_view separator)
{
    return format2(value * 1000000.0, separator);
}
