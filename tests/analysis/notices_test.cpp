#include "analysis/notices.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Notices, LowRatesAreToldTheirExtraAttenuationAt2Hz)
{
    // From the filter's design: the response at 2 Hz falls away from the
    // one at 100 samples per second as the rate nears the design's limit.
    struct Row { int32_t rate; const char *db; };
    for (const Row row : {Row{49, "0.4"}, Row{20, "3.4"}, Row{12, "20.5"}}) {
        SCOPED_TRACE(row.rate);
        EXPECT_EQ(lowRateNotice(row.rate), "at " + std::to_string(row.rate) +
                                               " samples per second the weighting attenuates 2 Hz by " +
                                               row.db + " dB more than at 100 samples per second: levels read lower");
    }
    EXPECT_EQ(lowRateNotice(50), std::nullopt);
    EXPECT_EQ(extraAttenuationAt2Hz(100), 0);
    // -9.24 dB at 2 Hz for 100 samples per second.
    EXPECT_NEAR(20 * std::log10(weightingGain(100, 2)), -9.24, 0.005);
}

TEST(Notices, ValuesOfOneOrMoreCannotBeMetresPerSecond)
{
    AnalysedRecord record;
    record.largestValue = 0.99f;
    EXPECT_EQ(countsWarning(record), std::nullopt);
    record.largestValue = 2048;
    EXPECT_EQ(countsWarning(record), "the largest value is 2048, which cannot be m/s: the values look like counts");
    record.largestValue = 1.5;
    record.sensitivity = 1000;
    EXPECT_EQ(countsWarning(record), "the largest value is 1.5 m/s with a sensitivity of 1000 counts per m/s, "
                                     "which cannot be right: the sensitivity looks wrong");
}
