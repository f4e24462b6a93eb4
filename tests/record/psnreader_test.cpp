#include "record/psnreader.h"
#include "session/threads.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Joins lines, each followed by `end`.
std::string lines(const std::vector<std::string> &all, const std::string &end = "\r\n")
{
    std::string text;
    for (const auto &line : all)
        text += line + end;
    return text;
}

std::string header(int count, const std::string &extra = "")
{
    return lines({"Number of Samples: " + std::to_string(count), "SPS: 100"}) + extra + "Data:\r\n";
}

std::string describe(const ReadResult &result)
{
    auto *error = std::get_if<LoadError>(&result);
    return error ? error->message() : "a record";
}

struct TempDir {
    std::filesystem::path path;
    TempDir()
    {
        std::string name = (std::filesystem::temp_directory_path() / "psnreader-XXXXXX").string();
        path = mkdtemp(name.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
};

} // namespace

TEST(PsnReader, HeaderNumbersRoundToTheNearestIntegerTiesToEven)
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

TEST(PsnReader, HeaderNumbersBeyondTheIntegerRangeAreRefused)
{
    for (const char *value : {"2147483648", "2147483647.5", "-2147483649", "-2147483648.6",
                              "1e10", "1e400", "-1e400", "1e99999999999999999999"}) {
        SCOPED_TRACE(value);
        int32_t result = 0;
        EXPECT_FALSE(readHeaderNumber(value, result));
    }
}

TEST(PsnReader, ReadsHeaderAndSamples)
{
    ReadResult result = parsePsn(header(3, "Station Code: ABC\r\nComponent Name: HHZ\r\n") +
                                     "1.5\r\n-2.5\r\n0.25\r\n", "event.txt");
    auto *record = std::get_if<PsnRecord>(&result);
    ASSERT_NE(record, nullptr) << describe(result);
    EXPECT_EQ(record->sampleCount, 3);
    EXPECT_EQ(record->sampleRate, 100);
    EXPECT_EQ(record->stationCode, "ABC");
    EXPECT_EQ(record->componentName, "HHZ");
    EXPECT_EQ(record->samples, (std::vector<float>{0, 1.5f, -2.5f, 0.25f}));
    EXPECT_EQ(record->sum, -0.75f);
}

TEST(PsnReader, LongRecordsReportProgressWhileRead)
{
    const int count = 200000;
    std::string text = header(count);
    for (int i = 0; i < count; ++i)
        text += "1\n";
    std::vector<int> seen;
    ReadResult result = parsePsn(text, "long.txt", [&](int p) { seen.push_back(p); });
    ASSERT_TRUE(std::holds_alternative<PsnRecord>(result)) << describe(result);
    EXPECT_EQ(seen.size(), static_cast<size_t>(count / progressInterval));
    for (int p : seen)
        EXPECT_TRUE(p >= 5 && p <= 10) << p;
}

TEST(PsnReader, HeaderKeysMatchExactlyFromTheFirstColumn)
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
        ReadResult result = parsePsn(lines(all), "event.txt");
        auto *record = std::get_if<PsnRecord>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->sampleCount, 1);
        EXPECT_EQ(record->sampleRate, row.rate);
        EXPECT_EQ(record->stationCode, row.station);
        EXPECT_EQ(record->componentName, row.component);
        EXPECT_EQ(record->samples, (std::vector<float>{0, 7}));
    }
}

TEST(PsnReader, SampleFieldsAreReadAsAStream)
{
    struct Row { const char *name; std::string data; std::vector<float> expected; };
    const Row rows[] = {
        {"number on the Data: line is not a sample", "x\r\n1.5\r\n2.5\r\n3.5", {1.5f, 2.5f, 3.5f}},
        {"commas and lines", "\r\n1.5,2.5\r\n3.5", {1.5f, 2.5f, 3.5f}},
        {"blanks around a comma", "\r\n1.5 , 2.5\t,\t3.5", {1.5f, 2.5f, 3.5f}},
        {"blanks, tabs and blank lines", "\r\n1.5\t2.5\r\n\r\n\n  3.5", {1.5f, 2.5f, 3.5f}},
        {"comma at a line end", "\r\n1.5,\r\n2.5,\r\n3.5,", {1.5f, 2.5f, 3.5f}},
        {"empty field between commas", "\r\n1.5,,3.5", {1.5f, 0, 3.5f}},
        {"only commas", "\r\n,,,", {0, 0, 0}},
        {"not a number", "\r\n1.5\r\nabc\r\n3.5", {1.5f, 0, 3.5f}},
        {"inf and nan are not numbers", "\r\ninf nan 1", {0, 0, 1}},
        {"numeric prefix", "\r\n12abc 2x,3", {12, 2, 3}},
        {"quoted fields", "\r\n\"1.5\",\" 2.5 \" \"3.5\"", {1.5f, 2.5f, 3.5f}},
        {"signs and exponents", "\r\n+1.5 -2.5E-1 3e2", {1.5f, -0.25f, 300}},
        {"no digit on one side of the point", "\r\n.5 5. -.5", {0.5f, 5, -0.5f}},
        {"decimal comma is a separator", "\r\n1,5 2", {1, 5, 2}},
        {"extra values never read", "\r\n1 2 3 4 1e999 x", {1, 2, 3}},
        {"underflow is zero or denormal", "\r\n1e-50 -1e-400 1e-40", {0, -0.0f, static_cast<float>(1e-40)}},
        {"largest float", "\r\n3.4028235e38 -3.4028235e38 0", {FLT_MAX, -FLT_MAX, 0}},
        {"NUL bytes end the number, not the field", std::string("\r\n1\0\0 2\0,3", 10), {1, 2, 3}},
        {"hex, nan, inf and -0", "\r\n0x1p3 -nan +inf -0", {0, 0, 0, -0.0f}},
        {"stray quotes", "\r\n'1' \"\"2 \"3\"", {0, 0, 3}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = lines({"Number of Samples: " + std::to_string(row.expected.size()), "SPS: 100"});
        ReadResult result = parsePsn(text + "Data: 9" + row.data, "event.txt");
        auto *record = std::get_if<PsnRecord>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        std::vector<float> expected = row.expected;
        expected.insert(expected.begin(), 0.0f);
        EXPECT_EQ(record->samples, expected);
    }
}

TEST(PsnReader, LineEndsOfAnyKindReadAlike)
{
    for (const char *end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        std::vector<std::string> all = {"Number of Samples: 3", "SPS: 50", "Station Code: ABC ", "Data:", "1", "", "2,3"};
        ReadResult result = parsePsn(lines(all, end), "event.txt");
        auto *record = std::get_if<PsnRecord>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->sampleRate, 50);
        EXPECT_EQ(record->stationCode, "ABC ");
        EXPECT_EQ(record->samples, (std::vector<float>{0, 1, 2, 3}));

        all[6] = "2,1e39";
        ReadResult broken = parsePsn(lines(all, end), "event.txt");
        auto *error = std::get_if<LoadError>(&broken);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->line, 7);
    }
}

TEST(PsnReader, SumIsAccumulatedInFloatInFileOrder)
{
    // 2^24 + 1 is not a float: it rounds back to 2^24, so two ones added after
    // 2^24 vanish, while added first they count (a double sum gives 16777218).
    struct Row { const char *data; float sum; };
    for (const Row &row : {Row{"16777216 1 1", 16777216.0f}, Row{"1 1 16777216", 16777218.0f}}) {
        SCOPED_TRACE(row.data);
        ReadResult result = parsePsn(header(3) + row.data, "event.txt");
        auto *record = std::get_if<PsnRecord>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->sum, row.sum);
    }
}

TEST(PsnReader, SamplesRoundOnceStraightToFloat)
{
    // Just above the midpoint between 1 and the next float: through a double
    // it would land on the midpoint and tie down to 1; read directly it
    // rounds up.
    struct Row { const char *text; float value; };
    const Row rows[] = {
        {"1.00000005960464477539062500000000001", std::nextafter(1.0f, 2.0f)},
        {"1.00000005960464477539062499999999999", 1.0f},
        {"1.234567e-06", 1.234567e-06f},
        {"-3.4028234e38", -FLT_MAX},
        {"1e-46", 0.0f},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        ReadResult result = parsePsn(header(1) + row.text, "event.txt");
        auto *record = std::get_if<PsnRecord>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->samples[1], row.value);
    }
}

TEST(PsnReader, StationTextsAreReturnedAsUtf8)
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
        ReadResult result = parsePsn(header(1, extra) + "1", "event.txt");
        auto *record = std::get_if<PsnRecord>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->stationCode, row.utf8);
        EXPECT_EQ(record->componentName, row.utf8);
    }
}

TEST(PsnReader, BrokenFilesNameTheLineAndTheReason)
{
    const std::string count3 = "Number of Samples: 3\r\n", sps = "SPS: 100\r\n";
    struct Row { const char *name; std::string text; long line; std::string reason; };
    const Row rows[] = {
        {"empty file", "", 0, "the file ends before a \"Data:\" line"},
        {"no Data: line", count3 + sps, 2, "the file ends before a \"Data:\" line"},
        {"no Data: line nor final line end", count3 + "SPS: 100", 2, "the file ends before a \"Data:\" line"},
        {"no sample count", sps + "Data:\r\n1", 0, "no \"Number of Samples\" line before the \"Data:\" line"},
        {"sample count 0", sps + "Number of Samples: 0\r\nData:\r\n1", 2, "the number of samples is 0; it must be at least 1"},
        {"sample count not a number", "Number of Samples: abc\r\n" + sps + "Data:\r\n1", 1, "the number of samples is 0; it must be at least 1"},
        {"negative sample count", "Number of Samples: -5\r\n" + sps + "Data:\r\n1", 1, "the number of samples is -5; it must be at least 1"},
        {"sample count too large", "Number of Samples: 2147483648\r\n" + sps + "Data:\r\n", 1, "\"Number of Samples\" does not fit a 32-bit integer"},
        {"no rate", count3 + "Data:\r\n1 2 3", 0, "no \"SPS:\" line before the \"Data:\" line"},
        {"rate too large", count3 + "SPS: 1e10\r\nData:\r\n1 2 3", 2, "\"SPS:\" does not fit a 32-bit integer"},
        {"SPS:100 reads from its sixth character", count3 + "SPS:100\r\nData:\r\n1 2 3", 2,
         "a sampling rate of 0 samples per second is too low: the 2 Hz weighting filter cannot be designed below 12 samples per second"},
        {"rate just below the minimum", count3 + "SPS: 11.4\r\nData:\r\n1 2 3", 2,
         "a sampling rate of 11 samples per second is too low: the 2 Hz weighting filter cannot be designed below 12 samples per second"},
        {"count the file cannot hold", "Number of Samples: 2000000000\r\n" + sps + "Data:\r\n1\r\n", 1,
         "the header announces 2000000000 samples but only 3 bytes follow the \"Data:\" line"},
        {"fewer bytes than samples", count3 + sps + "Data:\r\n,,", 1, "the header announces 3 samples but only 2 bytes follow the \"Data:\" line"},
        {"fewer samples", count3 + sps + "Data:\r\n1\r\n2\r\n", 5, "the file ends after 2 of 3 samples"},
        {"fewer samples, no final line end", count3 + sps + "Data:\r\n1\r\n2", 5, "the file ends after 2 of 3 samples"},
        {"only blank lines", count3 + sps + "Data:\r\n\r\n\r\n \r\n", 6, "the file ends after 0 of 3 samples"},
        {"sample beyond float", count3 + sps + "Data:\r\n1\r\n\r\n2 1e39 3", 6, "sample 3 is beyond the 32-bit float range"},
        {"sample beyond double", count3 + sps + "Data:\r\n1e400 1 2", 4, "sample 1 is beyond the 32-bit float range"},
        {"negative sample beyond float", count3 + sps + "Data:\r\n1\r\n-3.5e38", 5, "sample 2 is beyond the 32-bit float range"},
        {"quoted sample beyond float", count3 + sps + "Data:\r\n\"1\r\n\"\r\n\"1e39\"", 6, "sample 2 is beyond the 32-bit float range"},
        {"stray quote swallows the rest", count3 + sps + "Data:\r\n1\r\n\"2\r\n3\r\n", 6,
         "the file ends after 2 of 3 samples; the quote opened on line 5 is never closed"},
        {"NUL bytes instead of samples", count3 + sps + "Data:\r\n" + std::string(100, '\0'), 4, "the file ends after 1 of 3 samples"},
        {"one enormous line", "Comment: " + std::string(1 << 22, 'x'), 1, "the file ends before a \"Data:\" line"},
        {"a sample of a million digits", count3 + sps + "Data:\r\n1 " + std::string(1000000, '7') + " 2", 4,
         "sample 2 is beyond the 32-bit float range"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ReadResult result = parsePsn(row.text, "event.txt");
        auto *error = std::get_if<LoadError>(&result);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->file, "event.txt");
        EXPECT_EQ(error->line, row.line);
        EXPECT_EQ(error->reason, row.reason);
    }
}

TEST(PsnReader, ErrorMessageNamesFileAndLine)
{
    EXPECT_EQ((LoadError{"a.txt", 4, "bad"}).message(), "a.txt: line 4: bad");
    EXPECT_EQ((LoadError{"a.txt", 0, "bad"}).message(), "a.txt: bad");
}

TEST(PsnReader, ReadsARecordFile)
{
    const std::string path = TEST_DATA_DIR "/psnreader-event.txt";
    ReadResult result = readPsnFile(path);
    auto *record = std::get_if<PsnRecord>(&result);
    ASSERT_NE(record, nullptr) << describe(result);
    EXPECT_EQ(record->sampleCount, 6);
    EXPECT_EQ(record->sampleRate, 100);
    EXPECT_EQ(record->stationCode, "ABC");
    EXPECT_EQ(record->componentName, "HHZ");
    const double values[] = {0, 1.5e-6, -2.5e-6, 1e-6, -1e-6, 2.5e-7, 0};
    ASSERT_EQ(record->samples.size(), 7u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(record->samples[i], static_cast<float>(values[i])) << i;
}

TEST(PsnReader, FilesThatCannotBeReadAreRefused)
{
    TempDir dir;
    const std::string fifo = (dir.path / "pipe").string(), empty = (dir.path / "empty.txt").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream{empty};
    // A plausible header, then a hole up to a quarter of the memory and one
    // byte more: nothing of it is on disk, and nothing may be read.
    const uint64_t memory = uint64_t(sysconf(_SC_PHYS_PAGES)) * uint64_t(sysconf(_SC_PAGESIZE));
    const std::string sparse = (dir.path / "sparse.txt").string();
    std::ofstream(sparse) << header(1000000);
    std::filesystem::resize_file(sparse, memory / 4 + 1);
    struct Row { std::string path, reason; };
    const Row rows[] = {
        {(dir.path / "missing.txt").string(), "cannot be opened: No such file or directory"},
        {dir.path.string(), "is a directory, not a regular file"},
        {fifo, "is a named pipe, not a regular file"},
        {"/dev/null", "is a character device, not a regular file"},
        {"/dev/zero", "is a character device, not a regular file"},
        {sparse, "is " + std::to_string(memory / 4 + 1) + " bytes long, more than a quarter of this computer's memory (" +
                     std::to_string(memory) + " bytes): too large to read"},
        {empty, "the file ends before a \"Data:\" line"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        ReadResult result = readPsnFile(row.path);
        auto *error = std::get_if<LoadError>(&result);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->file, row.path);
        EXPECT_EQ(error->line, 0);
        EXPECT_EQ(error->reason, row.reason);
    }
}

namespace {

// A data body of well over a megabyte, which is read in two parts.
struct LongBody {
    std::vector<std::string> fields;  // one per line unless a case joins them
    std::string text(const std::string &separator = "\r\n") const
    {
        std::string body;
        for (const auto &field : fields)
            body += field + separator;
        return body;
    }
};

LongBody longBody(int count)
{
    LongBody body;
    char field[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(field, sizeof field, "%.6E", std::sin(i * 0.01) * 1e-4 + (i % 7) * 1e-7);
        body.fields.push_back(field);
    }
    return body;
}

// What reading the fields one after another gives, from the C library.
std::vector<float> expectedValues(const LongBody &body, int count)
{
    std::vector<float> values{0.0f};
    for (int i = 0; i < count; ++i)
        values.push_back(std::strtof(body.fields[i].c_str(), nullptr));
    return values;
}

} // namespace

TEST(PsnReader, LongTextsReadInTwoPartsAsInOne)
{
    const int count = 150000;
    const LongBody body = longBody(count);
    const std::vector<float> expected = expectedValues(body, count);
    float expectedSum = 0;
    for (int i = 1; i <= count; ++i)
        expectedSum = expectedSum + expected[i];

    const auto read = [&](int announced, const std::string &data) {
        ReadResult result = parsePsn(header(announced) + data, "long.psn");
        // Read by one thread, it gives the same.
        NoHelperThread oneThread;
        ReadResult single = parsePsn(header(announced) + data, "long.psn");
        EXPECT_EQ(describe(single), describe(result));
        if (auto *record = std::get_if<PsnRecord>(&result))
            EXPECT_EQ(std::get<PsnRecord>(single).samples, record->samples);
        return result;
    };
    {
        SCOPED_TRACE("plain, and with fewer samples announced than written");
        for (int announced : {count, count - 10, 2}) {
            ReadResult result = read(announced, body.text());
            ASSERT_TRUE(std::holds_alternative<PsnRecord>(result)) << describe(result);
            const PsnRecord &record = std::get<PsnRecord>(result);
            ASSERT_EQ(record.samples.size(), static_cast<size_t>(announced) + 1);
            EXPECT_TRUE(std::equal(record.samples.begin(), record.samples.end(), expected.begin()));
            if (announced == count)
                EXPECT_EQ(record.sum, expectedSum);
        }
    }
    {
        SCOPED_TRACE("several values on a line, split across the middle");
        ReadResult result = read(count, body.text(", "));
        ASSERT_TRUE(std::holds_alternative<PsnRecord>(result)) << describe(result);
        EXPECT_EQ(std::get<PsnRecord>(result).samples, expected);
    }
    // The header takes lines 1 to 3; field i (from 1) stands on line 3 + i.
    EXPECT_EQ(describe(read(count + 5, body.text())),
              "long.psn: line 150003: the file ends after 150000 of 150005 samples");
    LongBody outOfRange = body;
    outOfRange.fields[120000 - 1] = "1e999";
    EXPECT_EQ(describe(read(count, outOfRange.text())),
              "long.psn: line 120003: sample 120000 is beyond the 32-bit float range");
    // Past the announced count nothing is read, not even a broken value.
    EXPECT_TRUE(std::holds_alternative<PsnRecord>(read(119999, outOfRange.text())));

    // A quoted field runs over a line end in the second part; the lines
    // after it count one more.
    LongBody quoted = body;
    quoted.fields[100000 - 1] = "\"2.5\r\n\"";
    std::vector<float> withQuote = expected;
    withQuote[100000] = 2.5f;
    ReadResult result = read(count, quoted.text());
    ASSERT_TRUE(std::holds_alternative<PsnRecord>(result)) << describe(result);
    EXPECT_EQ(std::get<PsnRecord>(result).samples, withQuote);
    EXPECT_EQ(describe(read(count + 1, quoted.text())),
              "long.psn: line 150004: the file ends after 150000 of 150001 samples");
}

TEST(PsnReader, AFileShortenedWhileReadIsAnErrorNotACrash)
{
    TempDir dir;
    const auto path = (dir.path / "shrinking.psn").string();
    const int count = 300000;
    {
        std::ofstream out(path, std::ios::binary);
        out << header(count) << longBody(count).text();
    }
    ReadResult whole = readPsnFile(path);
    ASSERT_TRUE(std::holds_alternative<PsnRecord>(whole)) << describe(whole);

    // Another program cuts the file while its samples are read: the pages
    // past the new end vanish from under the reader.
    ReadResult result = readPsnFile(path, [&](int) { std::filesystem::resize_file(path, 100); });
    ASSERT_TRUE(std::holds_alternative<LoadError>(result));
    EXPECT_EQ(describe(result), path + ": could not be read to its end: it was shortened, or a "
                                       "read failed, while it was read");
}

// A count the data section could hold, but whose values never come (a file
// of NUL bytes, say), must not cost memory for the whole count: only what
// was actually read is filled. Measured in a fresh process, on the peak
// resident size.
TEST(PsnReader, MemoryForSamplesGrowsOnlyWithTheValuesRead)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto parseAndMeasure = [] {
        const int count = 64 << 20;   // 256 MB of floats
        const std::string text = header(count) + std::string(size_t(count), '\0');
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const ReadResult result = parsePsn(text, "nul.txt");
        getrusage(RUSAGE_SELF, &after);
        const long grownMb = (after.ru_maxrss - before.ru_maxrss) / 1024;
        std::fprintf(stderr, "%s; peak grew by %ld MB\n", describe(result).c_str(), grownMb);
        std::exit(grownMb < 64 ? 0 : 1);
    };
    EXPECT_EXIT(parseAndMeasure(), testing::ExitedWithCode(0),
                "nul.txt: line 4: the file ends after 1 of 67108864 samples; peak grew by");
}
