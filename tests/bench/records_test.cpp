// The benchmark records and the parse floor: the figures in the benchmark
// table are only comparable from run to run if the records are the same
// bytes every time, in the format the program reads.
#include "parse_floor.h"
#include "record/recordreader.h"
#include "records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class BenchRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("sismavue-records-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

} // namespace

TEST_F(BenchRecords, SameSeedSameBytesInTheReadersFormat)
{
    const std::string a = (dir / "a.psn").string(), b = (dir / "b.psn").string(),
                      c = (dir / "c.psn").string();
    ASSERT_TRUE(writeRecord(a, 7000, 100, 3));
    ASSERT_TRUE(writeRecord(b, 7000, 100, 3));
    ASSERT_TRUE(writeRecord(c, 7000, 100, 4));
    const std::string text = contents(a);
    EXPECT_EQ(text, contents(b));
    EXPECT_NE(text, contents(c));

    // Header, then one value a line like -1.234567E-05, every line ended by CR LF.
    const size_t data = text.find("Data:\r\n");
    ASSERT_NE(data, std::string::npos);
    EXPECT_NE(text.find("Number of Samples: 7000\r\nSPS: 100\r\n"), std::string::npos);
    const std::regex value("-?[0-9]\\.[0-9]{6}E[-+][0-9]{2}\r");
    std::istringstream lines(text.substr(data + 7));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        ASSERT_TRUE(std::regex_match(line, value)) << "line " << count << ": " << line;
    EXPECT_EQ(count, 7000);
    EXPECT_EQ(text.back(), '\n');

    // The parse floor converts exactly the values the reader does.
    const ReadResult read = readRecordFile(a);
    ASSERT_TRUE(std::holds_alternative<Record>(read));
    const Record &record = std::get<Record>(read);
    EXPECT_EQ(record.sampleCount, 7000);
    EXPECT_EQ(record.station, "BENCH01");
    const ParsedValues parsed = parseFloor(a);
    ASSERT_EQ(parsed.count, 7000u);
    EXPECT_EQ(std::memcmp(parsed.values.get(), record.samples.data() + 1, 7000 * sizeof(float)), 0);
}

TEST_F(BenchRecords, FailuresAreReported)
{
    EXPECT_FALSE(writeRecord((dir / "no-such-folder" / "r.psn").string(), 10, 100, 1));
    EXPECT_EQ(parseFloor((dir / "missing.psn").string()).count, 0u);
}
