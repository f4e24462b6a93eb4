#include "session/timetext.h"

#include <gtest/gtest.h>

TEST(TimeText, IsoTime)
{
    struct Row {
        int64_t micros;
        const char *iso;
    };
    const Row rows[] = {
        {0, "1970-01-01T00:00:00.000000Z"},
        {1199145600435000, "2008-01-01T00:00:00.435000Z"},
        {-1, "1969-12-31T23:59:59.999999Z"},           // before 1970: the day before
        {1709251199999999, "2024-02-29T23:59:59.999999Z"},   // a leap day
        {4107542400000000, "2100-03-01T00:00:00.000000Z"},   // no leap day in 2100
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.iso);
        EXPECT_EQ(isoTime(row.micros), row.iso);
    }
}
