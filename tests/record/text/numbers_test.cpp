#include "record/text/numbers.h"
#include "../readertest.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

TEST(Numbers, HeaderNumbersRoundToTheNearestIntegerTiesToEven)
{
    struct Row { const char *value; int32_t expected; };
    const Row rows[] = {
        {"6000", 6000}, {"1 200", 1200}, {"\t- 4\t2 ", -42}, {"12x4", 12}, {"+7", 7},
        {"100.5", 100}, {"101.5", 102}, {"-2.5", -2}, {"-3.5", -4}, {".5", 0}, {".6", 1},
        {"5.", 5}, {"1.5E3", 1500}, {"1.5e3", 1500}, {"25E-1", 2}, {"2E", 2}, {"2E+", 2},
        {"1e3.5", 1000}, {"1,5", 1}, {"", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"inf", 0},
        {"1e-400", 0}, {"2147483647", 2147483647}, {"2147483647.4", 2147483647},
        {"-2147483648.5", INT32_MIN}, {"0000000000000000000000000012", 12},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.value);
        int32_t result = -99;
        ASSERT_TRUE(readHeaderNumber(row.value, result));
        EXPECT_EQ(result, row.expected);
    }
}

TEST(Numbers, HeaderNumbersBeyondTheIntegerRangeAreRefused)
{
    for (const char *value : {"2147483648", "2147483647.5", "-2147483649", "-2147483648.6",
                              "1e10", "1e400", "-1e400", "1e99999999999999999999"}) {
        SCOPED_TRACE(value);
        int32_t result = 0;
        EXPECT_FALSE(readHeaderNumber(value, result));
    }
}

TEST(Numbers, SamplesRoundOnceStraightToFloat)
{
    // Just above the midpoint between 1 and the next float: through a double
    // it would land on the midpoint and tie down to 1; read directly it
    // rounds up.
    struct Row { std::string text; float value; };
    const Row rows[] = {
        {"1.00000005960464477539062500000000001", std::nextafter(1.0f, 2.0f)},
        {"1.00000005960464477539062499999999999", 1.0f},
        {"1.234567e-06", 1.234567e-06f},
        {"-3.4028234e38", -FLT_MAX},
        {"1e-46", 0.0f},
        // Beyond the 800 digits kept, a non-zero digit still breaks the tie.
        {"1.000000059604644775390625" + std::string(900, '0') + "1", std::nextafter(1.0f, 2.0f)},
        {"1.000000059604644775390625" + std::string(900, '0'), 1.0f},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40));
        ReadResult result = parseRecord(header(1) + row.text, "event.txt");
        auto *record = std::get_if<Record>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->samples[1], row.value);
    }
}
