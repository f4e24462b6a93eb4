#include "report/progress.h"

#include <gtest/gtest.h>

TEST(Progress, TextGivesRateAndTimeLeftOnceAFileIsDone)
{
    struct Case {
        size_t done, total;
        int64_t samples;
        double seconds;
        const char *text;
    };
    const Case cases[] = {
        {0, 500, 0, 3.0, "0 of 500 files"},
        // 2 s for 12 files: 488 more take 81.3 s, shown rounded up.
        {12, 500, 720000, 2.0, "12 of 500 files, 360 k samples/s, 1:22 left"},
        {250, 500, 34000000, 10.0, "250 of 500 files, 3.4 M samples/s, 0:10 left"},
        {1, 400, 900, 10.0, "1 of 400 files, 90 samples/s, 1:06:30 left"},
        {3, 3, 3000, 1.5, "3 of 3 files, 2 k samples/s, 0:00 left"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(progressText(c.done, c.total, c.samples, c.seconds), c.text);
}
