#pragma once

#include "record/utctime.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the values stored in a file become m/s: value * factor / divisor,
// in 64-bit, before the rounding to 32-bit. 1 / 1 takes them as they stand.
struct ValueScale {
    double factor = 1;
    double divisor = 1;
    bool asTheyStand = true;

    // Counts per m/s: value / sensitivity gives m/s.
    static ValueScale sensitivity(double countsPerMetrePerSecond)
    {
        return {1, countsPerMetrePerSecond, false};
    }
    double countsPerMetrePerSecond() const { return divisor / factor; }
};

// One line of a sensitivity table: STATION<TAB>COMPONENT<TAB>S, S in counts
// per m/s; the component "*" matches any.
struct SensitivityEntry {
    std::string station, component;
    double countsPerMetrePerSecond = 0;
};
using SensitivityTable = std::vector<SensitivityEntry>;

// What a record's sensitivity is looked up by: its codes (empty where the
// file has none) and the time of its first sample.
struct ChannelKey {
    std::string_view network, station, location, channel;
    std::optional<UtcTime> start;
};

// Counts per m/s of a channel from elsewhere (an inventory), or none when
// it has none for the channel.
using SensitivityLookup = std::function<std::optional<double>(const ChannelKey &key)>;

// Where a record's sensitivity may come from, first match wins: the one
// given for the whole run, the lookup, the table (an exact component
// before "*", the first such line in each case), then the file's own
// header. The table and the lookup are the caller's and must outlive every
// read that uses them; the lookup is called on the thread that opens.
struct SensitivityChoice {
    std::optional<double> given;
    const SensitivityTable *table = nullptr;
    SensitivityLookup lookup;
};

// `code` without the blanks and tabs around it.
std::string_view trimmedCode(std::string_view code);

// The table compares station and channel codes trimmed.
ValueScale chooseScale(const SensitivityChoice &choice, const ChannelKey &key,
                       std::optional<ValueScale> fromHeader);

// The running sum of the values taken, in file order, 64-bit, and the
// largest |value| among them.
struct ValueTotals {
    double sum = 0;
    float largest = 0;
};

// Takes stored[0..n) in file order: each through `scale` in 64-bit (no
// arithmetic when the values are taken as they stand, which would give them
// back unchanged), rounded to 32-bit into out[i] and added to `totals`.
// Stops at the first value that is NaN, infinite or beyond the 32-bit float
// range once scaled; returns how many were taken.
template <class Stored>
size_t scaleValues(const Stored *stored, size_t n, const ValueScale &scale, float *out, ValueTotals &totals);

// Adds values[0..n), already 32-bit and finite, to `totals` as scaleValues
// would, without storing them again.
inline void addValues(const float *values, size_t n, ValueTotals &totals);

// Why scaleValues refused `stored`, sample number `sample` (from 1):
// "sample 3 is infinite".
std::string valueRefusal(double stored, int64_t sample);

namespace scaling {

// The sum and the largest are kept in locals, which a store of a value
// could otherwise overwrite as far as the compiler can tell.
template <bool asTheyStand, bool store, class Stored>
size_t take(const Stored *stored, size_t n, double factor, double divisor, float *out, ValueTotals &totals)
{
    double sum = totals.sum;
    float largest = totals.largest;
    size_t i = 0;
    for (; i < n; ++i) {
        const double value = static_cast<double>(stored[i]);
        const float v = static_cast<float>(asTheyStand ? value : value * factor / divisor);
        if (!std::isfinite(v))
            break;
        if constexpr (store)
            out[i] = v;
        sum += v;
        largest = std::max(largest, std::abs(v));
    }
    totals = {sum, largest};
    return i;
}

} // namespace scaling

template <class Stored>
size_t scaleValues(const Stored *stored, size_t n, const ValueScale &scale, float *out, ValueTotals &totals)
{
    if (scale.asTheyStand)
        return scaling::take<true, true>(stored, n, 1.0, 1.0, out, totals);
    return scaling::take<false, true>(stored, n, scale.factor, scale.divisor, out, totals);
}

inline void addValues(const float *values, size_t n, ValueTotals &totals)
{
    scaling::take<true, false>(values, n, 1.0, 1.0, nullptr, totals);
}
