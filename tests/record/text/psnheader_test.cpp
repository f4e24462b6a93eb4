#include "record/text/psnheader.h"
#include "../readertest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(PsnHeader, HeaderKeysMatchExactlyFromTheFirstColumn)
{
    struct Row { const char *name; std::vector<std::string> header; int32_t rate; const char *station, *component; };
    const Row rows[] = {
        {"blank before the key", {"SPS: 100", " SPS: 50"}, 100, "", ""},
        {"lower case", {"SPS: 100", "sps: 50"}, 100, "", ""},
        {"line shorter than the key", {"SPS: 100", "SPS"}, 100, "", ""},
        {"any character before the value", {"SPS:x100"}, 100, "", ""},
        {"repeated keys: the last wins", {"SPS: 50", "Station Code: X", "SPS: 200", "Station Code: Y"}, 200, "Y", ""},
        {"trailing blanks kept", {"SPS: 100", "Station Code: ABC  ", "Component Name:  HHZ "}, 100, "ABC  ", " HHZ "},
        {"value from a fixed position", {"SPS: 100", "Station Code:ABC", "Component Name:HHZ"}, 100, "BC", "HZ"},
        {"value position beyond the line", {"SPS: 100", "Station Code:", "Component Name: "}, 100, "", ""},
        {"rate rounded up to the minimum", {"SPS: 11.5"}, 12, "", ""},
        {"other lines between, any order", {"Component Name: E", "# comment", "", "SPS: 20", "Station Code: S"}, 20, "S", "E"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> all = row.header;
        all.insert(all.begin() + 1, "Number of Samples: 1");
        all.push_back("Data:");
        all.push_back("7");
        ReadResult result = parseRecord(lines(all), "event.txt");
        auto *record = std::get_if<Record>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->sampleCount, 1);
        EXPECT_EQ(record->sampleRate, row.rate);
        EXPECT_EQ(record->station, row.station);
        EXPECT_EQ(record->channel, row.component);
        EXPECT_EQ(record->samples, (std::vector<float>{0, 7}));
    }
}

TEST(PsnHeader, StationTextsAreReturnedAsUtf8)
{
    struct Row { const char *name, *bytes, *utf8; };
    const Row rows[] = {
        {"ASCII", "ABC", "ABC"},
        {"valid UTF-8 kept", "Z\xC3\xBCrich \xE2\x82\xAC", "Z\xC3\xBCrich \xE2\x82\xAC"},
        {"Latin-1", "Z\xFCrich", "Z\xC3\xBCrich"},
        {"Windows-1252 euro and quotes", "\x80 \x93x\x94", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},
        {"unassigned Windows-1252 byte", "\x81\xE9", "\xC2\x81\xC3\xA9"},
        {"overlong form is not UTF-8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"surrogate is not UTF-8", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"truncated sequence", "A\xC3", "A\xC3\x83"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string extra = std::string("Station Code: ") + row.bytes + "\r\nComponent Name: " + row.bytes + "\r\n";
        ReadResult result = parseRecord(header(1, extra) + "1", "event.txt");
        auto *record = std::get_if<Record>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->station, row.utf8);
        EXPECT_EQ(record->channel, row.utf8);
    }
}

TEST(PsnHeader, CountsWhoseArraysDoNotFitInMemoryAreRefused)
{
    // Two 32-bit floats per sample and entry 0: 1000 samples need 8008 bytes.
    PsnHeader header;
    header.sampleCount = 1000;
    header.countLine = 3;
    header.sampleRate = 100;
    header.rateLine = 4;
    EXPECT_FALSE(checkHeader(header, std::nullopt, 8008, "a.psn"));
    const auto error = checkHeader(header, std::nullopt, 8007, "a.psn");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message(), "a.psn: line 3: the header announces 1000 samples, whose arrays "
                                "need 8008 bytes, more than the 8007 bytes of memory available");
    // Where the size is known, a count the data cannot hold goes first.
    EXPECT_EQ(checkHeader(header, 999, 8007, "a.psn")->reason,
              "the header announces 1000 samples but only 999 bytes follow the \"Data:\" line");
}
