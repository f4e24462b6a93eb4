#include "views/clipboardtext.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(ClipboardText, CopyJoinsTheThreeBoxes)
{
    EXPECT_EQ(copyText("1234.5", "210.77", "88.1"), "1234.5\t210.77\t88.1");
}

TEST(ClipboardText, CopyAllHasHeaderAndEightFields)
{
    SummaryFields f{"ABC", "Z", "0", " 6000", "12.5", "3.1", "72.05", ""};
    EXPECT_EQ(copyAllText(f),
              "Label\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max\r"
              "ABC\tZ\t0\t 6000\t12.5\t3.1\t72.05\t");
    EXPECT_EQ(copyAllText(SummaryFields{}), "Label\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max\r"
                                            "\t\t\t\t\t\t\t");
}

TEST(ClipboardText, CopySpectrumLines)
{
    std::array<float, 1024> spectrum{};
    spectrum[1] = 1.23456789e-6f;
    spectrum[2] = 4e-13f;   // below half a millionth of a um/s
    const std::string text = copySpectrumText(spectrum, 2048, ".");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 1025);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_TRUE(text.starts_with("Freq. (Hz)\tVelocity (\u00b5m/s)\r0.\t0.\r"));
    EXPECT_NE(text.find("\r1.\t1.234568\r2.\t0.\r"), std::string::npos);
    EXPECT_NE(text.find("\r1023.\t0.\r"), std::string::npos);
    EXPECT_EQ(text.back(), '\r');

    const std::string at100 = copySpectrumText(spectrum, 100, ",", "\n");
    EXPECT_NE(at100.find("\n0,0488\t1,234568\n"), std::string::npos);
}
