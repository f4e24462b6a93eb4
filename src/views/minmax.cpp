#include "views/minmax.h"

#include <algorithm>
#include <iterator>

namespace {

// Eight ranges side by side, which the compiler keeps in two registers;
// a NaN is passed over in each, as in one.
ValueRange rangeOf(const float *values, int64_t n)
{
    ValueRange r;
    float low[8], high[8];
    std::fill(std::begin(low), std::end(low), r.low);
    std::fill(std::begin(high), std::end(high), r.high);
    int64_t i = 0;
    for (; i + 8 <= n; i += 8) {
        for (int k = 0; k < 8; ++k) {
            low[k] = values[i + k] < low[k] ? values[i + k] : low[k];
            high[k] = values[i + k] > high[k] ? values[i + k] : high[k];
        }
    }
    for (; i < n; ++i)
        r.add(values[i]);
    for (int k = 0; k < 8; ++k)
        r.add(ValueRange{low[k], high[k]});
    return r;
}

} // namespace

void MinMaxSummary::add(const float *values, int64_t n)
{
    std::vector<ValueRange> &blocks = levels_[0];
    while (n > 0) {
        const int64_t take = std::min(n, base - count_ % base);
        open_.add(rangeOf(values, take));
        values += take;
        n -= take;
        count_ += take;
        if (count_ % base == 0) {
            blocks.push_back(open_);
            open_ = ValueRange();
        }
    }
}

void MinMaxSummary::finish()
{
    levels_.resize(1);
    while (static_cast<int64_t>(levels_.back().size()) >= 2 * fan) {
        const std::vector<ValueRange> &fine = levels_.back();
        std::vector<ValueRange> coarse(fine.size() / fan);
        for (size_t k = 0; k < coarse.size(); ++k)
            for (size_t j = k * fan; j < (k + 1) * fan; ++j)
                coarse[k].add(fine[j]);
        levels_.push_back(std::move(coarse));
    }
}

ValueRange MinMaxSummary::range(const float *values, int64_t first, int64_t end) const
{
    first = std::max<int64_t>(first, 0);
    end = std::min(end, count_);
    if (end - first < 2 * base)
        return rangeOf(values + first, std::max<int64_t>(end - first, 0));
    // Whole blocks from the summary, the values at either end one by one.
    const int64_t from = (first + base - 1) / base;
    const int64_t to = end / base;
    ValueRange r = rangeOf(values + first, from * base - first);
    r.add(rangeOf(values + to * base, end - to * base));
    blocks(0, from, to, r);
    return r;
}

void MinMaxSummary::blocks(size_t level, int64_t from, int64_t to, ValueRange &r) const
{
    for (;; ++level) {
        const std::vector<ValueRange> &at = levels_[level];
        if (level + 1 == levels_.size() || to - from < 2 * fan) {
            for (int64_t k = from; k < to; ++k)
                r.add(at[k]);
            return;
        }
        const int64_t coarseFrom = (from + fan - 1) / fan;
        const int64_t coarseTo = to / fan;
        for (int64_t k = from; k < coarseFrom * fan; ++k)
            r.add(at[k]);
        for (int64_t k = coarseTo * fan; k < to; ++k)
            r.add(at[k]);
        from = coarseFrom;
        to = coarseTo;
    }
}

size_t MinMaxSummary::bytes() const
{
    size_t total = 0;
    for (const std::vector<ValueRange> &level : levels_)
        total += level.capacity() * sizeof(ValueRange);
    return total;
}
