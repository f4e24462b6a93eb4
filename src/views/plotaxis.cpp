#include "views/plotaxis.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

constexpr int64_t microsPerSecond = 1000000;
constexpr int64_t microsPerDay = 86400 * microsPerSecond;

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Steps of a clock axis, in microseconds; below a second 1, 2, 5 x 10^k.
constexpr std::array<int64_t, 28> clockSteps{
    1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000, 500000,
    1 * microsPerSecond, 2 * microsPerSecond, 5 * microsPerSecond, 10 * microsPerSecond,
    15 * microsPerSecond, 30 * microsPerSecond, 60 * microsPerSecond, 120 * microsPerSecond,
    300 * microsPerSecond, 600 * microsPerSecond, 900 * microsPerSecond, 1800 * microsPerSecond,
    3600 * microsPerSecond, 7200 * microsPerSecond, 10800 * microsPerSecond, 21600 * microsPerSecond,
    43200 * microsPerSecond, microsPerDay, 2 * microsPerDay};

int64_t clockStep(int64_t span, int maxTicks)
{
    for (int64_t step : clockSteps)
        if (span <= step * maxTicks)
            return step;
    int64_t step = 7 * microsPerDay;
    while (span > step * maxTicks)
        step *= 2;
    return step;
}

std::string dateText(int64_t day)
{
    const std::chrono::year_month_day ymd{std::chrono::sys_days{std::chrono::days{day}}};
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return text.data();
}

// HH:MM:SS of the microseconds into a day, with `places` decimals.
std::string clockText(int64_t intoDay, int places, std::string_view separator)
{
    const int64_t seconds = intoDay / microsPerSecond;
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    std::string out = text.data();
    if (places > 0) {
        std::snprintf(text.data(), text.size(), "%06d", static_cast<int>(intoDay % microsPerSecond));
        out += separator;
        out.append(text.data(), static_cast<std::size_t>(places));
    }
    return out;
}

std::vector<Tick> clockTicks(double low, double high, int64_t startMicros, int maxTicks,
                             std::string_view separator)
{
    const int64_t from = startMicros + std::llround(low * 1e6);
    const int64_t to = startMicros + std::llround(high * 1e6);
    const int64_t step = clockStep(to - from, std::max(maxTicks, 1));
    const int places = step >= microsPerSecond ? 0 : 6 - static_cast<int>(std::floor(std::log10(step)));
    std::vector<Tick> ticks;
    int64_t lastDay = 0;
    for (int64_t at = floorDiv(from + step - 1, step) * step; at <= to; at += step) {
        const int64_t day = floorDiv(at, microsPerDay);
        Tick tick{static_cast<double>(at - startMicros) / 1e6, {}, {}};
        if (step >= microsPerDay)
            tick.label = dateText(day);
        else {
            tick.label = clockText(at - day * microsPerDay, places, separator);
            if (ticks.empty() || day != lastDay)
                tick.date = dateText(day);
        }
        lastDay = day;
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

} // namespace

std::string fixedText(double value, int places, std::string_view separator)
{
    std::array<char, 400> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value,
                                   std::chars_format::fixed, places);
    std::string out(text.data(), end.ptr);
    if (out.find_first_not_of("-0.") == std::string::npos && out.front() == '-')
        out.erase(out.begin());
    if (const auto point = out.find('.'); point != std::string::npos)
        out.replace(point, 1, separator);
    return out;
}

double niceStep(double span, int maxTicks)
{
    const double rough = span / std::max(maxTicks, 1);
    double step = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (step * factor >= rough * (1 - 1e-12))
            return step * factor;
    return step * 10;
}

double niceCeiling(double value, int maxTicks)
{
    const double step = niceStep(value, maxTicks);
    return std::ceil(value / step * (1 - 1e-12)) * step;
}

std::vector<Tick> valueTicks(double low, double high, int maxTicks, std::string_view separator)
{
    if (!(high > low))
        return {};
    return stepTicks(low, high, niceStep(high - low, maxTicks), separator);
}

std::vector<Tick> stepTicks(double low, double high, double step, std::string_view separator)
{
    std::vector<Tick> ticks;
    const int places = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    const auto first = static_cast<int64_t>(std::ceil(low / step - 1e-9));
    for (int64_t k = first; k * step <= high + step * 1e-9; ++k) {
        const double value = static_cast<double>(k) * step;
        ticks.push_back({value, fixedText(value, places, separator), {}});
    }
    return ticks;
}

std::vector<Tick> timeTicks(double low, double high, std::optional<int64_t> startMicros, int maxTicks,
                            std::string_view separator, double origin)
{
    if (!(high > low))
        return {};
    if (startMicros)
        return clockTicks(low, high, *startMicros, maxTicks, separator);
    std::vector<Tick> ticks = valueTicks(low + origin, high + origin, maxTicks, separator);
    for (Tick &tick : ticks)
        tick.value -= origin;
    return ticks;
}

std::string utcText(int64_t micros)
{
    const int64_t day = floorDiv(micros, microsPerDay);
    return dateText(day) + " " + clockText(micros - day * microsPerDay, 0, ".");
}
