#include "../readertest.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <locale.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool sameRecord(const Record &a, const Record &b)
{
    return a.samples.size() == b.samples.size() &&
           std::memcmp(a.samples.data(), b.samples.data(), a.samples.size() * sizeof(float)) == 0 &&
           std::memcmp(&a.sum, &b.sum, sizeof a.sum) == 0 && a.station == b.station &&
           a.warnings == b.warnings;
}

// Reads `text` in one go, in pieces of five bytes (so that numbers, line
// ends and quotes break everywhere) and in parts of 1000 bytes on two
// threads; all must give the same record or error. Returns the first.
ReadResult parseEveryWay(const std::string &text, const std::string &name = "event.txt")
{
    ThreadPolicy whole = singleThread(), pieces = singleThread(), parts;
    whole.readPartBytes = size_t(1) << 30;
    pieces.readPartBytes = 5;
    parts.threads = 2;
    parts.readPartBytes = 1000;
    ReadOptions options;
    options.threads = whole;
    ReadResult result = parseRecord(text, name, options);
    for (const ThreadPolicy &way : {pieces, parts}) {
        SCOPED_TRACE(way.readPartBytes);
        options.threads = way;
        ReadResult other = parseRecord(text, name, options);
        EXPECT_EQ(describe(other), describe(result));
        if (auto *record = std::get_if<Record>(&result)) {
            EXPECT_TRUE(sameRecord(std::get<Record>(other), *record));
        }
    }
    return result;
}

} // namespace

TEST(PsnReader, ReadsHeaderAndSamples)
{
    ReadResult result = parseRecord(header(3, "Station Code: ABC\r\nComponent Name: HHZ\r\n") +
                                     "1.5\r\n-2.5\r\n0.25\r\n", "event.txt");
    auto *record = std::get_if<Record>(&result);
    ASSERT_NE(record, nullptr) << describe(result);
    EXPECT_EQ(record->sampleCount, 3);
    EXPECT_EQ(record->sampleRate, 100);
    EXPECT_EQ(record->station, "ABC");
    EXPECT_EQ(record->channel, "HHZ");
    EXPECT_EQ(record->samples, (std::vector<float>{0, 1.5f, -2.5f, 0.25f}));
    EXPECT_EQ(record->sum, -0.75);
}

TEST(PsnReader, ProgressFollowsTheBytesWhateverTheyHold)
{
    // Values, and one endless field of NUL bytes: either way a call comes
    // after every part read, from the first part's share up to 1.
    std::string values;
    for (int i = 0; i < 100000; ++i)
        values += "1.25E-06\r\n";
    for (const std::string &data : {values, std::string(1 << 20, '\0')}) {
        const std::string text = header(100000) + data;
        ReadOptions options;
        options.threads.readPartBytes = 64 << 10;
        std::vector<double> seen;
        options.progress = [&](double p) { seen.push_back(p); };
        parseRecord(text, "long.txt", options);
        EXPECT_GE(seen.size(), text.size() / (64 << 10));
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_LE(seen.front(), 0.1);
        EXPECT_EQ(seen.back(), 1);
    }
}

TEST(PsnReader, SampleFieldsAreReadAsAStream)
{
    struct Row { const char *name; std::string data; std::vector<float> expected; int values = 0; };
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
        {"extra values only counted", "\r\n1 2 3 4 1e999 \"x\r\n\"", {1, 2, 3}, 6},
        {"underflow is zero or denormal", "\r\n1e-50 -1e-400 1e-40", {0, -0.0f, static_cast<float>(1e-40)}},
        {"largest float", "\r\n3.4028235e38 -3.4028235e38 0", {FLT_MAX, -FLT_MAX, 0}},
        {"NUL bytes end the number, not the field", std::string("\r\n1\0\0 2\0,3", 10), {1, 2, 3}},
        {"hex, nan, inf and -0", "\r\n0x1p3 -nan +inf -0", {0, 0, 0, -0.0f}},
        {"stray quotes", "\r\n'1' \"\"2 \"3\"", {0, 0, 3}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = lines({"Number of Samples: " + std::to_string(row.expected.size()), "SPS: 100"});
        ReadResult result = parseEveryWay(text + "Data: 9" + row.data);
        auto *record = std::get_if<Record>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        std::vector<float> expected = row.expected;
        expected.insert(expected.begin(), 0.0f);
        EXPECT_EQ(record->samples, expected);
        EXPECT_EQ(record->warnings, row.values == 0 ? std::vector<std::string>{} : std::vector<std::string>{
            "the data hold 6 values but \"Number of Samples\" announces 3: only the first 3 are read"});
    }
}

TEST(PsnReader, LineEndsOfAnyKindReadAlike)
{
    for (const char *end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        std::vector<std::string> all = {"Number of Samples: 3", "SPS: 50", "Station Code: ABC ", "Data:", "1", "", "2,3"};
        ReadResult result = parseRecord(lines(all, end), "event.txt");
        auto *record = std::get_if<Record>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->sampleRate, 50);
        EXPECT_EQ(record->station, "ABC ");
        EXPECT_EQ(record->samples, (std::vector<float>{0, 1, 2, 3}));

        all[6] = "2,1e39";
        ReadResult broken = parseRecord(lines(all, end), "event.txt");
        auto *error = std::get_if<LoadError>(&broken);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->line, 7);
    }
}

TEST(PsnReader, SumIsAccumulatedIn64BitInFileOrder)
{
    // 2^24 + 1 is no float but fits a double; 2^53 + 1 is no double, so two
    // ones added after 2^53 vanish, while added first they count.
    struct Row { const char *data; double sum; };
    for (const Row &row : {Row{"16777216 1 1", 16777218.0}, Row{"9007199254740992 1 1", 0x1p53},
                           Row{"1 1 9007199254740992", 0x1p53 + 2}}) {
        SCOPED_TRACE(row.data);
        ReadResult result = parseRecord(header(3) + row.data, "event.txt");
        auto *record = std::get_if<Record>(&result);
        ASSERT_NE(record, nullptr) << describe(result);
        EXPECT_EQ(record->sum, row.sum);
    }
}

TEST(PsnReader, BrokenFilesNameTheLineAndTheReason)
{
    const std::string count3 = "Number of Samples: 3\r\n", sps = "SPS: 100\r\n";
    struct Row { const char *name; std::string text; long line; std::string reason; };
    const Row rows[] = {
        {"empty file", "", 0, notARecord},
        {"a CSV export", "Time,Velocity\r\n0.00,1.5e-6\r\n0.01,2.5e-6\r\n", 0, notARecord},
        {"a SEED volume", "000001V 010009402.3121992,001,00:00:00.0000~2024,001~", 0, notARecord},
        {"only a unit", "Units: m/s\r\n", 1, "the file ends before a \"Data:\" line"},
        {"values in g", count3 + sps + "Units:g \r\nData:\r\n1 2 3", 3,
         "the values are in \"g\", which is no unit Sismavue reads: m/s, mm/s, \u00B5m/s (um/s), nm/s or counts"},
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
        {"one enormous line", "Comment: " + std::string(1 << 22, 'x'), 0, notARecord},
        {"a sample of a million digits", count3 + sps + "Data:\r\n1 " + std::string(1000000, '7') + " 2", 4,
         "sample 2 is beyond the 32-bit float range"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ReadResult result = parseEveryWay(row.text);
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
    for (int i = 0; i < count; ++i)
        body.fields.push_back(cText(std::sin(i * 0.01) * 1e-4 + (i % 7) * 1e-7, std::chars_format::scientific, 6, true));
    return body;
}

// What reading the fields one after another gives, from the C library in
// its own locale.
std::vector<float> expectedValues(const LongBody &body, int count)
{
    const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    std::vector<float> values{0.0f};
    for (int i = 0; i < count; ++i)
        values.push_back(strtof_l(body.fields[i].c_str(), nullptr, c));
    freelocale(c);
    return values;
}

} // namespace

TEST(PsnReader, LongTextsReadInPartsAsInOne)
{
    const int count = 150000;
    const LongBody body = longBody(count);
    const std::vector<float> expected = expectedValues(body, count);
    const auto read = [&](int announced, const std::string &data) {
        return parseEveryWay(header(announced) + data, "long.psn");
    };
    {
        SCOPED_TRACE("plain, and with fewer samples announced than written");
        for (int announced : {count, count - 10, 2}) {
            ReadResult result = read(announced, body.text());
            ASSERT_TRUE(std::holds_alternative<Record>(result)) << describe(result);
            const Record &record = std::get<Record>(result);
            ASSERT_EQ(record.samples.size(), static_cast<size_t>(announced) + 1);
            EXPECT_TRUE(std::equal(record.samples.begin(), record.samples.end(), expected.begin()));
            const std::string n = std::to_string(announced);
            EXPECT_EQ(record.warnings, announced == count ? std::vector<std::string>{} : std::vector<std::string>{
                "the data hold 150000 values but \"Number of Samples\" announces " + n + ": only the first " + n +
                " are read"});
        }
    }
    {
        SCOPED_TRACE("several values on a line");
        ReadResult result = read(count, body.text(", "));
        ASSERT_TRUE(std::holds_alternative<Record>(result)) << describe(result);
        EXPECT_EQ(std::get<Record>(result).samples, expected);
    }
    // The header takes lines 1 to 3; field i (from 1) stands on line 3 + i.
    EXPECT_EQ(describe(read(count + 5, body.text())),
              "long.psn: line 150003: the file ends after 150000 of 150005 samples");
    LongBody outOfRange = body;
    outOfRange.fields[120000 - 1] = "1e999";
    EXPECT_EQ(describe(read(count, outOfRange.text())),
              "long.psn: line 120003: sample 120000 is beyond the 32-bit float range");
    // Past the announced count nothing is read, not even a broken value.
    EXPECT_TRUE(std::holds_alternative<Record>(read(119999, outOfRange.text())));

    // A quoted field runs over a line end; the lines after it count one more.
    LongBody quoted = body;
    quoted.fields[100000 - 1] = "\"2.5\r\n\"";
    std::vector<float> withQuote = expected;
    withQuote[100000] = 2.5f;
    ReadResult result = read(count, quoted.text());
    ASSERT_TRUE(std::holds_alternative<Record>(result)) << describe(result);
    EXPECT_EQ(std::get<Record>(result).samples, withQuote);
    EXPECT_EQ(describe(read(count + 1, quoted.text())),
              "long.psn: line 150004: the file ends after 150000 of 150001 samples");
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
        const ReadResult result = parseRecord(text, "nul.txt");
        getrusage(RUSAGE_SELF, &after);
        const long grownMb = (after.ru_maxrss - before.ru_maxrss) / 1024;
        std::fprintf(stderr, "%s; peak grew by %ld MB\n", describe(result).c_str(), grownMb);
        std::exit(grownMb < 64 ? 0 : 1);
    };
    EXPECT_EXIT(parseAndMeasure(), testing::ExitedWithCode(0),
                "nul.txt: line 4: the file ends after 1 of 67108864 samples; peak grew by");
}
