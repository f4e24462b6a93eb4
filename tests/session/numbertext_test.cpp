#include "session/numbertext.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>

namespace {

// The process locale the environment names, taken as a toolkit takes it
// when it starts: ctest runs every core test again under de_DE.UTF-8, whose
// decimal separator is ",", and none may notice.
class ProcessLocale : public testing::Environment {
    void SetUp() override
    {
        const char *named = std::getenv("LC_ALL");
        if (!std::setlocale(LC_ALL, "") && named && *named)
            FAIL() << "the locale " << named << " is missing: scripts/install-deps.sh test makes it";
    }
};

const testing::Environment *const processLocale = testing::AddGlobalTestEnvironment(new ProcessLocale);

} // namespace

TEST(NumberText, TwoDecimalsTable)
{
    const struct {
        double value;
        const char *text;
    } rows[] = {
        {0, "0."},          {25, "25."},        {12.5, "12.5"},       {3.14159, "3.14"},
        {12345.678, "12345.68"}, {0.004, "0."},  {1234.5678, "1234.57"}, {1000000, "1000000."},
        {816496.580927726, "816496.58"}, {123.4, "123.4"}, {49.951171875, "49.95"},
        {0.005, "0.01"},    // 0.005 is stored just above the tie
        {0.125, "0.13"},    // an exact tie rounds away from zero
        {0.375, "0.38"},    {2.675, "2.67"},    // 2.675 is stored just below the tie
        {99.995, "100."},   {9.999, "10."},     {1e15, "1000000000000000."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(format2(row.value, "."), row.text);
    }
}

TEST(NumberText, FourAndSixDecimalsTable)
{
    const struct {
        double value;
        const char *four, *six;
    } rows[] = {
        {0, "0.", "0."},
        {12.5, "12.5", "12.5"},
        {0.048828125, "0.0488", "0.048828"},
        {1.23456789, "1.2346", "1.234568"},
        {0.0000004, "0.", "0."},
        {0.0000005, "0.", "0."},           // stored just below the tie
        {0.00000049999, "0.", "0."},
        {0.00005, "0.0001", "0.00005"},    // stored just above the tie
        {1023.0 / 2048 * 100, "49.9512", "49.951172"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(format4(row.value, "."), row.four);
        EXPECT_EQ(format6(row.value, "."), row.six);
    }
}

TEST(NumberText, SeparatorIsAlwaysWrittenAndPassedIn)
{
    EXPECT_EQ(format2(12, ","), "12,");
    EXPECT_EQ(format2(12.345, ","), "12,35");   // 12.345 is stored just above the tie
    EXPECT_EQ(format6(0.048828125, ","), "0,048828");
    EXPECT_EQ(format2(12.5, "\u066B"), "12\u066B5");   // a separator of two bytes in UTF-8
}

TEST(NumberText, NegativeValuesAndNonFinite)
{
    EXPECT_EQ(format2(-1.005, "."), "-1.");     // -1.00499999... in binary
    EXPECT_EQ(format2(-0.125, "."), "-0.13");   // away from zero on both sides
    EXPECT_EQ(format2(-0.001, "."), "0.");      // no minus sign on a rounded zero
    EXPECT_EQ(format2(INFINITY, "."), "Infinity");
    EXPECT_EQ(format2(-INFINITY, "."), "-Infinity");
}

TEST(NumberText, WholeNumbers)
{
    EXPECT_EQ(formatWhole(50), "50");
    EXPECT_EQ(formatWhole(62.5), "63");   // half away from zero
    EXPECT_EQ(formatWhole(63.5), "64");
    EXPECT_EQ(formatWhole(0.4), "0");
    EXPECT_EQ(formatWhole(-2.5), "-3");
}

TEST(NumberText, IntegerTextHasBlankOrMinus)
{
    EXPECT_EQ(integerText(6000), " 6000");
    EXPECT_EQ(integerText(0), " 0");
    EXPECT_EQ(integerText(-5), "-5");
    EXPECT_EQ(integerText(2147483647), " 2147483647");
}
