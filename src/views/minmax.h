#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// The smallest and largest of some values; empty (low > high) before any.
struct ValueRange {
    float low = std::numeric_limits<float>::infinity();
    float high = -std::numeric_limits<float>::infinity();

    bool empty() const { return low > high; }
    void add(float v)
    {
        low = v < low ? v : low;
        high = v > high ? v : high;
    }
    void add(ValueRange r)
    {
        low = r.low < low ? r.low : low;
        high = r.high > high ? r.high : high;
    }
};

// A summary of a long run of values for drawing it at any zoom: the range of
// every block of `base` values, of every `fan` such blocks, and so on, so
// that the range of any span is found from at most 2 * base values and
// 2 * fan blocks a level. It holds 8 bytes per block of the first level:
// 0.14 bytes a value in all.
class MinMaxSummary {
public:
    static constexpr int64_t base = 64;
    static constexpr int64_t fan = 8;

    // Room for a summary of `count` values.
    void reserve(int64_t count) { levels_[0].reserve(static_cast<size_t>(count / base)); }
    // The next n values, in order, in pieces of any length.
    void add(const float *values, int64_t n);
    // Once every value has been added: makes the coarser levels.
    void finish();

    int64_t count() const { return count_; }
    // The range of values[first..end-1], `values` being all that was added.
    ValueRange range(const float *values, int64_t first, int64_t end) const;
    size_t bytes() const;

private:
    void blocks(size_t level, int64_t from, int64_t to, ValueRange &r) const;

    std::vector<std::vector<ValueRange>> levels_{1};   // levels_[0]: per block of base
    ValueRange open_;            // of the values after the last whole block
    int64_t count_ = 0;
};
