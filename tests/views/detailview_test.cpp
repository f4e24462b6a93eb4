#include "views/detailview.h"
#include "views/minmax.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

std::vector<float> noise(int64_t count)
{
    std::vector<float> values(static_cast<size_t>(count));
    uint64_t state = 12345;
    for (float &v : values) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        v = static_cast<float>(static_cast<double>(state >> 11) * 0x1p-53 - 0.5);
    }
    return values;
}

MinMaxSummary summaryOf(const std::vector<float> &values, int64_t piece)
{
    MinMaxSummary summary;
    summary.reserve(static_cast<int64_t>(values.size()));
    for (int64_t from = 0; from < static_cast<int64_t>(values.size()); from += piece)
        summary.add(values.data() + from, std::min<int64_t>(piece, values.size() - from));
    summary.finish();
    return summary;
}

} // namespace

TEST(MinMaxSummary, RangeOfAnySpanIsTheRangeOfItsValues)
{
    // Values of 53 random bits: each extreme is one value, in one block.
    const std::vector<float> values = noise(200003);
    const MinMaxSummary summary = summaryOf(values, 65536 + 7);   // pieces cut across blocks
    std::vector<std::pair<int64_t, int64_t>> spans{{0, 1}, {5, 133}, {63, 192}, {0, 200003}, {199000, 200003}};
    uint64_t state = 99;
    while (spans.size() < 3000) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const int64_t first = static_cast<int64_t>(state >> 40) % 200003;
        const int64_t length = int64_t{1} << ((state >> 20) % 18);
        spans.emplace_back(first, std::min<int64_t>(200003, first + length + static_cast<int64_t>(state % 97)));
    }
    for (const auto &[first, end] : spans) {
        SCOPED_TRACE(testing::Message() << first << ".." << end);
        const auto [low, high] = std::minmax_element(values.begin() + first, values.begin() + end);
        const ValueRange r = summary.range(values.data(), first, end);
        ASSERT_EQ(r.low, *low);
        ASSERT_EQ(r.high, *high);
    }
    EXPECT_LT(summary.bytes(), values.size() / 6);
}

TEST(DetailView, EveryPeakShowsInItsColumnAtAnyZoom)
{
    // Zero but for one spike: at every zoom the column under the spike
    // reaches it, or its neighbour where wide columns' edges move to the
    // summary's blocks; the one after it may (it joins the last sample
    // before it); no other does.
    const int64_t count = 864000;
    std::vector<float> values(count, 0.0f);
    for (const int64_t spike : {int64_t{0}, int64_t{1234}, int64_t{431999}, count - 1}) {
        values[spike] = 5;
        const MinMaxSummary summary = summaryOf(values, 4096);
        const std::pair<DetailSpan, int> views[] = {{wholeRecord(count), 1920},
                                                    {wholeRecord(count), 100},   // edges on blocks of 512
                                                    {{1000, 1920 * 3.5}, 1920},
                                                    {heldInRecord({spike - 50.5, 4000}, count), 1920}};
        for (const auto &[s, columns] : views) {
            SCOPED_TRACE(testing::Message() << "spike " << spike << ", span " << s.first << " + " << s.span
                                            << " in " << columns);
            const std::vector<ValueRange> ranges = columnRanges(values.data(), count, summary, s, columns);
            const int64_t under = static_cast<int64_t>(std::floor((spike - s.first) / s.span * columns));
            std::vector<int64_t> reaching;
            for (int c = 0; c < columns; ++c) {
                ASSERT_FALSE(ranges[c].empty()) << c;
                if (ranges[c].high == 5)
                    reaching.push_back(c);
                else
                    EXPECT_EQ(ranges[c].high, 0) << c;
            }
            if (under < 0 || under >= columns)
                continue;
            ASSERT_FALSE(reaching.empty());
            EXPECT_LE(reaching.size(), 2u);
            EXPECT_LE(std::abs(reaching.front() - under), 1);
            EXPECT_LE(reaching.back() - reaching.front(), 1);
        }
        values[spike] = 0;
    }
    // Columns join: each reaches back to the last sample of the one before.
    for (int64_t j = 0; j < count; ++j)
        values[j] = static_cast<float>(j);
    const std::vector<ValueRange> ramp = columnRanges(values.data(), count, summaryOf(values, 4096), {10, 3000}, 1000);
    for (int c = 1; c < 1000; ++c)
        EXPECT_EQ(ramp[c].low, ramp[c - 1].high) << c;
}

TEST(DetailView, ZoomKeepsThePositionUnderThePointerAndStaysInTheRecord)
{
    const DetailSpan whole = wholeRecord(86400);
    const DetailSpan in = zoomedSpan(whole, 0.5, 0.25, 86400);
    EXPECT_EQ(in.span, 43200);
    EXPECT_EQ(in.first + 0.25 * in.span, whole.first + 0.25 * whole.span);
    // Held at the edges and at the fewest samples.
    EXPECT_EQ(zoomedSpan(in, 4, 0.9, 86400).first, 0);
    EXPECT_EQ(zoomedSpan(in, 1e-9, 0.5, 86400).span, fewestSamples);
    EXPECT_EQ(pannedSpan(in, 1e9, 86400).first, 86400 - in.span);
    EXPECT_EQ(pannedSpan(in, -1e9, 86400).first, 0);
    EXPECT_EQ(zoomedSpan(whole, 0.5, 0.5, 4).span, 4);   // a record shorter than the fewest
    // Sample k lies at x = (k - 1 - first) / span * width, and back.
    EXPECT_EQ(sampleAtX(in, xOfSample(in, 30000, 1920), 1920, 86400), 30000);
    const DetailSpan around = spanAround(601, 900, 86400);
    EXPECT_EQ(around.first, 550);
    EXPECT_EQ(around.span, 400);
}
