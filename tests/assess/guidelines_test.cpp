#include "assess/guidelines.h"

#include <gtest/gtest.h>

TEST(Guidelines, FoundationValuesLieOnStraightLinesOfLinearFrequency)
{
    const struct {
        Building building;
        double hz, value;
    } rows[] = {{Building::Dwelling, 17, 6.75},  {Building::Dwelling, 18, 7.00},
                // A logarithmic frequency axis would give 11.83 at 30 Hz.
                {Building::Dwelling, 30, 10.00}, {Building::Dwelling, 35, 11.25},
                {Building::Dwelling, 75, 17.50}, {Building::Dwelling, 150, 20.00},
                {Building::Commercial, 75, 45.0}, {Building::Sensitive, 30, 5.50},
                {Building::Dwelling, 1, 5},      {Building::Sensitive, 100, 10}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.hz);
        const std::optional<double> value = guidelineValue(row.building, Place::Foundation, row.hz);
        ASSERT_TRUE(value);
        EXPECT_NEAR(*value, row.value, 1e-12);
    }
    EXPECT_FALSE(guidelineValue(Building::Dwelling, Place::Foundation, 0.99));
    EXPECT_EQ(guidelineValue(Building::Sensitive, Place::LongTerm, 0.5), 2.5);
    EXPECT_EQ(guidelineValue(Building::Commercial, Place::TopFloor, 80), 40);
}

TEST(Guidelines, PlacesJudgeTheirComponents)
{
    EXPECT_TRUE(placeJudges(Place::Foundation, axisOfChannel("HHZ")));
    EXPECT_FALSE(placeJudges(Place::TopFloor, axisOfChannel("HHZ")));
    EXPECT_TRUE(placeJudges(Place::LongTerm, axisOfChannel("EH1")));
    EXPECT_FALSE(placeJudges(Place::Slab, axisOfChannel("HHE")));
    EXPECT_TRUE(placeJudges(Place::Slab, axisOfChannel("X")));
}

TEST(Guidelines, OptionWordsReadBack)
{
    EXPECT_EQ(parseOption<Place>("top-floor"), Place::TopFloor);
    EXPECT_EQ(parseOption<FrequencyMethod>("zero-crossing"), FrequencyMethod::ZeroCrossing);
    EXPECT_EQ(parseOption<Standard>("din4150-2"), Standard::Din4150_2);
    EXPECT_FALSE(parseOption<Area>("Residential"));
    EXPECT_EQ(optionName(Area::Special), "special");
    EXPECT_EQ(optionName(Verdict::NoGuideline), "no guideline");
    EXPECT_EQ(guideValues(Area::Mixed, Period::Night).ar, 0.07);
}
