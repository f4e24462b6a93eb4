#include "session/timetext.h"

#include <gtest/gtest.h>

TEST(TimeText, IsoDateAndClock)
{
    struct Row {
        int64_t micros;
        const char *iso;
        const char *clockMillis;
    };
    const Row rows[] = {
        {0, "1970-01-01T00:00:00.000000Z", "00:00:00.000"},
        {1199145600435000, "2008-01-01T00:00:00.435000Z", "00:00:00.435"},
        {-1, "1969-12-31T23:59:59.999999Z", "23:59:59.999"},   // before 1970: the day before
        {1709251199999999, "2024-02-29T23:59:59.999999Z", "23:59:59.999"},   // a leap day
        {951782400000000, "2000-02-29T00:00:00.000000Z", "00:00:00.000"},    // a leap century
        {4107542400000000, "2100-03-01T00:00:00.000000Z", "00:00:00.000"},   // no leap day in 2100
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.iso);
        EXPECT_EQ(isoTime(row.micros), row.iso);
        EXPECT_EQ(clockText(row.micros, 3), row.clockMillis);
        EXPECT_EQ(dateText(row.micros), std::string(row.iso).substr(0, 10));
    }
    EXPECT_EQ(clockText(1199145600435000), "00:00:00");
}
