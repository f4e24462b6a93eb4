#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A labelled mark on an axis.
struct AxisTick {
    double at = 0;        // seconds from the record's first sample, or the value
    std::string label;    // "10:21:30", "12.5"
    std::string date;     // on a time axis: "2026-03-14" at the first tick and
                          // where the date changes; else empty
};

// Marks on a time axis from `from` to `to` seconds after the record's first
// sample, at most about `most` of them, at a round step (1, 2 or 5 times a
// power of ten below a minute; 1, 2, 5, 10, 15 or 30 minutes; 1, 2, 3, 6 or
// 12 hours; whole days). With a start time (UTC microseconds since 1970)
// they fall on round times of day, labelled HH:MM:SS (with as many
// decimals as the step needs); without, on round seconds from the start.
std::vector<AxisTick> timeTicks(double from, double to, std::optional<int64_t> start, int most,
                                std::string_view separator);

// Marks on a value axis from `low` to `high` at a step of 1, 2 or 5 times a
// power of ten, at most about `most` of them.
std::vector<AxisTick> valueTicks(double low, double high, int most, std::string_view separator);
