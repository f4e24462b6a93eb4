#include "views/axisticks.h"

#include "session/timetext.h"

#include <charconv>
#include <cmath>

namespace {

// Digits after the point that a step of `step` needs (0.5: 1, 0.02: 2).
int decimalsFor(double step)
{
    int decimals = 0;
    while (decimals < 6 && std::abs(step - std::round(step)) > step * 1e-6) {
        step *= 10;
        ++decimals;
    }
    return decimals;
}

std::string fixedText(double value, int decimals, std::string_view separator)
{
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0;   // never "-0"
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals).ptr;
    std::string text(digits, end);
    if (const auto point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, separator);
    return text;
}

// The smallest of 1, 2 and 5 times a power of ten that is at least `rough`.
double roundStep(double rough)
{
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= rough * (1 - 1e-12))
            return m * power;
    return 10 * power;
}

// Round steps of time, in seconds.
double timeStep(double rough)
{
    if (rough <= 10)
        return std::max(roundStep(rough), 1e-6);
    for (const double step : {15.0, 30.0, 60.0, 120.0, 300.0, 600.0, 900.0, 1800.0, 3600.0, 7200.0, 10800.0,
                              21600.0, 43200.0, 86400.0})
        if (step >= rough)
            return step;
    return 86400 * std::ceil(rough / 86400);
}

} // namespace

std::vector<AxisTick> timeTicks(double from, double to, std::optional<int64_t> start, int most,
                                std::string_view separator)
{
    std::vector<AxisTick> ticks;
    if (!(to > from) || most < 1)
        return ticks;
    const double step = timeStep((to - from) / most);
    const int64_t stepMicros = std::max<int64_t>(1, std::llround(step * 1e6));
    const int decimals = decimalsFor(step);
    // Ticks fall on multiples of the step of the clock's time, or of the
    // time since the first sample.
    const int64_t origin = start.value_or(0);
    const double firstClock = origin + from * 1e6;
    int64_t tick = static_cast<int64_t>(std::ceil(firstClock / stepMicros)) * stepMicros;
    std::string lastDate;
    for (; tick <= origin + to * 1e6; tick += stepMicros) {
        AxisTick t;
        t.at = static_cast<double>(tick - origin) / 1e6;
        if (start) {
            t.label = clockText(tick, decimals);
            if (const auto point = t.label.find('.'); point != std::string::npos)
                t.label.replace(point, 1, separator);
            const std::string date = dateText(tick);
            if (date != lastDate)
                t.date = lastDate = date;
        } else {
            t.label = fixedText(t.at, decimals, separator);
        }
        ticks.push_back(std::move(t));
    }
    return ticks;
}

std::vector<AxisTick> valueTicks(double low, double high, int most, std::string_view separator)
{
    std::vector<AxisTick> ticks;
    if (!(high > low) || most < 1 || !std::isfinite(high - low))
        return ticks;
    const double step = roundStep((high - low) / most);
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    for (double k = std::ceil(low / step - 1e-9); k * step <= high + step * 1e-9; ++k)
        ticks.push_back({k * step, fixedText(k * step, decimals, separator), {}});
    return ticks;
}
