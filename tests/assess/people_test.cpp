#include "assess/people.h"
#include "assess/peopletrack.h"
#include "signals.h"

#include <gtest/gtest.h>

#include <numeric>

TEST(People, SteadySinesGiveTheCheckValuesOfDin45669)
{
    // A 1 mm/s sine that starts smoothly; KB_F is the RMS of the steady KB
    // signal, read as the mean of KB_F^2 over the last 5 s, whole periods of
    // its ripple at every row's frequency.
    const struct {
        double hz, kbF, kbFmax;
    } rows[] = {{5.6, 0.500, 0.528}, {16, 0.667, 0.680}, {31.5, 0.693, 0.700}, {80, 0.594, 0.597}};
    const double rate = 1000;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.hz);
        std::vector<float> samples = silence(rate, 20);
        addSine(samples, rate, 0, 20, row.hz, 0.001, 3);
        PeopleOptions options;
        options.keepTrace = true;
        const PeopleResult r = assessPeople(samples, rate, options);
        const auto last = r.trace.end() - 5000;
        const double meanSquare =
            std::inner_product(last, r.trace.end(), last, 0.0, std::plus<>(),
                               [](float a, float b) { return static_cast<double>(a) * b; }) / 5000;
        EXPECT_NEAR(std::sqrt(meanSquare), row.kbF, 0.003);
        EXPECT_NEAR(r.kbFmax, row.kbFmax, 0.003);
    }
}

TEST(People, LowKbFTiCountAsZeroButStillCount)
{
    const struct {
        std::vector<double> cycles;
        double kbFTm;
    } rows[] = {{{}, 0},
                {{0.3}, 0.3},
                {{0.1, 0.3}, std::sqrt(0.09 / 2)},
                {{0.05, 0.2, 0.3}, std::sqrt((0.04 + 0.09) / 3)},
                {{0.1000001, 0.1000001}, 0.1000001}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.cycles.size());
        EXPECT_NEAR(kbFTm(row.cycles), row.kbFTm, 1e-12);
    }
}

TEST(People, OnlyWholeCyclesOfThirtySecondsCount)
{
    // 95 s at 600 samples/s: three whole cycles; the strong burst in the
    // last 5 s sets KB_Fmax but is in no cycle. A 1 mm/s 16 Hz sine in the
    // second cycle gives KB_FTi 0.68, KB_FTm 0.68 / sqrt(3).
    const double rate = 600;
    std::vector<float> samples = silence(rate, 95);
    addSine(samples, rate, 40, 10, 16, 0.001, 2, 0, true);
    addSine(samples, rate, 91, 3, 16, 0.004, 1, 0, true);
    PeopleOptions options;
    options.exposureHours = 4;
    const PeopleResult r = assessPeople(samples, rate, options);
    ASSERT_EQ(r.cycles.size(), 3u);
    EXPECT_LT(r.cycles[0], 0.01);
    EXPECT_NEAR(r.cycles[1], 0.68, 0.005);
    EXPECT_LT(r.cycles[2], 0.01);
    EXPECT_NEAR(r.kbFmax, 4 * 0.68, 0.02);
    EXPECT_NEAR(r.kbFmaxTime, 92.5, 1.5);
    ASSERT_TRUE(r.kbFTm && r.kbFTr);
    EXPECT_NEAR(*r.kbFTm, r.cycles[1] / std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(*r.kbFTr, *r.kbFTm * std::sqrt(4.0 / 16), 1e-12);
    // Residential by day: above A_u 0.15, under A_o 3, KB_FTr 0.196 > A_r 0.07.
    EXPECT_EQ(r.verdict, Verdict::Exceeded);
    EXPECT_TRUE(r.warnings.empty());
}

TEST(People, SaysWhatItCannotJudge)
{
    // 20 s at 250 samples/s: no whole cycle, a rate under 500 samples/s, and
    // a KB_Fmax between A_u and A_o that only KB_FTr could decide.
    const double rate = 250;
    std::vector<float> samples = silence(rate, 20);
    addSine(samples, rate, 0, 20, 10, 0.001, 3);
    PeopleOptions options;
    options.exposureHours = 20;
    const PeopleResult r = assessPeople(samples, rate, options);
    EXPECT_FALSE(r.kbFTm);
    EXPECT_EQ(r.verdict, Verdict::Undetermined);
    EXPECT_EQ(r.exposureHours, 16);
    ASSERT_EQ(r.warnings.size(), 3u);
    EXPECT_NE(r.warnings[0].find("250 samples/s"), std::string::npos);
    EXPECT_NE(r.warnings[1].find("16 h is used"), std::string::npos);
    EXPECT_NE(r.warnings[2].find("20.0 s long"), std::string::npos);
    EXPECT_THROW(assessPeople(samples, 11), AssessError);
    EXPECT_THROW(assessPeople({}, rate), AssessError);
}
