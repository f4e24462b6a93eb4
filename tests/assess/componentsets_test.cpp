#include "assess/componentsets.h"

#include <gtest/gtest.h>

namespace {

ChannelInfo channel(std::string code, double rate = 100, std::optional<int64_t> start = 0,
                    int64_t count = 1000)
{
    return {"XX", "STA", "00", std::move(code), rate, start, count};
}

} // namespace

TEST(ComponentSets, FormOnlyFromMatchingComponents)
{
    const struct {
        const char *name;
        std::vector<ChannelInfo> channels;
        std::size_t sets;
        const char *reason;   // of the first record left alone
    } rows[] = {
        {"complete, shortest span", {channel("HHN"), channel("HHZ", 100, 4000), channel("HHE", 100, 0, 900)}, 1, ""},
        {"numbered", {channel("HH1"), channel("HH2"), channel("HHZ")}, 1, ""},
        {"missing", {channel("HHZ"), channel("HHN")}, 0, "HHE is missing"},
        {"rate", {channel("HHZ"), channel("HHN"), channel("HHE", 200)}, 0, "HHZ has 100 samples/s, HHE 200"},
        {"start", {channel("HHZ"), channel("HHN"), channel("HHE", 100, 5001)}, 0,
         "HHE starts 0.005001 s after HHZ, more than half a sample"},
        {"instrument", {channel("EHZ"), channel("EHN"), channel("ENE")}, 0, "EHE is missing"},
        {"no starts, equal", {channel("HHZ", 100, {}), channel("HHN", 100, {}), channel("HHE", 100, {})}, 1, ""},
        {"no starts, unequal", {channel("HHZ", 100, {}), channel("HHN", 100, {}), channel("HHE", 100, {}, 999)}, 0,
         "HHZ has 1000 samples, HHE 999: without start times only records of one length form a set"},
        {"one start", {channel("HHZ", 100, {}), channel("HHN", 100, {}), channel("HHE")}, 0,
         "HHE has a start time, HHZ none"},
        {"second Z", {channel("HHZ"), channel("HHN"), channel("HHE"), channel("HHZ")}, 1,
         "HHN belongs to another set; HHE belongs to another set"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const ComponentGrouping grouping = groupComponents(row.channels);
        ASSERT_EQ(grouping.sets.size(), row.sets);
        ASSERT_EQ(grouping.singles.size(), row.channels.size() - 3 * row.sets);
        if (!grouping.singles.empty()) {
            EXPECT_EQ(grouping.singles[0].reason, row.reason);
        }
    }
    const ComponentSet set = groupComponents(rows[0].channels).sets[0];
    EXPECT_EQ(set.members, (std::array<std::size_t, 3>{1, 0, 2}));
    EXPECT_EQ(set.offsets, (std::array<int64_t, 3>{0, 0, 0}));
    EXPECT_EQ(set.count, 900);
}
