#include "report/plot.h"

#include <gtest/gtest.h>

TEST(Plot, PictureNamesAreTheFileNamesNumberedWithinARun)
{
    EXPECT_EQ(pictureName("a/b/event.psn", "", PictureFormat::png), "event.psn.png");
    EXPECT_EQ(pictureName("event.psn", "HHZ", PictureFormat::pdf), "event.psn.HHZ.pdf");
    EXPECT_EQ(pictureName("-", "", PictureFormat::png), "stdin.png");

    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> runs = {
        {{"a.png", "b.png"}, {"a.png", "b.png"}},
        {{"a.png", "a.png", "a.png"}, {"a.png", "a-2.png", "a-3.png"}},
        // A file of the run named like a numbered picture keeps its name.
        {{"a.png", "a.png", "a-2.png"}, {"a.png", "a-3.png", "a-2.png"}},
        {{"x.y.png", "x.y.png"}, {"x.y.png", "x.y-2.png"}},
    };
    for (const auto &[names, unique] : runs) {
        SCOPED_TRACE(names.size());
        EXPECT_EQ(uniquePictureNames(names), unique);
    }
}
