#pragma once

// Axes of the assessment pictures: nice tick steps, tick labels in the
// caller's decimal separator, and clock times in UTC.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The straight map of [from0, from1] onto [to0, to1] (either may run
// backwards, as y runs down the screen).
struct LinearMap {
    double from0 = 0, from1 = 1, to0 = 0, to1 = 1;
    double operator()(double value) const { return to0 + (value - from0) / (from1 - from0) * (to1 - to0); }
};

struct Tick {
    double value = 0;    // on the axis's own scale (mm/s, Hz, seconds from the start)
    std::string label;   // "12.5", "10:15:30"
    std::string date;    // "2024-05-03" under a clock time where the date is new, else empty
};

// `value` with exactly `places` decimals, rounded half to even on the
// binary value, `separator` in place of the point; never "-0.00".
std::string fixedText(double value, int places, std::string_view separator);

// The smallest step of 1, 2 or 5 times a power of ten that cuts `span` (> 0)
// into at most `maxTicks` parts (at least 1).
double niceStep(double span, int maxTicks);

// The smallest multiple of niceStep(value, maxTicks) at or above `value`
// (> 0): the top of an axis that starts at 0.
double niceCeiling(double value, int maxTicks);

// Every multiple of `step` (1, 2 or 5 times a power of ten) in [low, high],
// labelled with as many decimals as the step needs.
std::vector<Tick> stepTicks(double low, double high, double step, std::string_view separator);

// stepTicks with niceStep(high - low, maxTicks); none when high <= low.
std::vector<Tick> valueTicks(double low, double high, int maxTicks, std::string_view separator);

// Ticks of a time axis from `low` to `high` seconds after the first sample.
// With the first sample's UTC time (microseconds since 1970) they fall on
// round clock times (steps of 1, 2, 5 x 10^k s below a second, then 1, 2, 5,
// 10, 15, 30 s, minutes and hours likewise, 1, 2, 7 and 14 days), labelled
// HH:MM:SS (with decimals below a second), or YYYY-MM-DD from a step of a
// day; the first tick and every tick on a new day carry the date. Without a
// start time they are valueTicks of the seconds from `origin` (the first
// sample's seconds after the record's start).
std::vector<Tick> timeTicks(double low, double high, std::optional<int64_t> startMicros, int maxTicks,
                            std::string_view separator, double origin = 0);

// "YYYY-MM-DD HH:MM:SS" of a UTC time in microseconds since 1970, the
// fraction of a second cut off.
std::string utcText(int64_t micros);
