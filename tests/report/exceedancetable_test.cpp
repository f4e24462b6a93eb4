#include "analysis/exceedances.h"
#include "analysis/loadrecord.h"
#include "report/report.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// 200 s at 100 samples/s: faint noise and three 11 Hz bursts of 1 mm/s, 2 s
// long, at 20 s, 60 s and 70 s; the second's level falls under 71 dB about
// five seconds before the third's rises above it.
std::string writeBursts(const fs::path &path)
{
    std::string text = "Number of Samples: 20000\r\nSPS: 100\r\nStation Code: BURST\r\nComponent Name: Z\r\nData:\r\n";
    for (int i = 1; i <= 20000; ++i) {
        const double t = (i - 1) / 100.0;
        double v = 3e-6 * std::sin(i * 1.3) * std::cos(i * 0.07);
        for (const double at : {20.0, 60.0, 70.0})
            if (t >= at && t < at + 2)
                v += 1e-3 * std::sin((t - at) * std::numbers::pi / 2) * std::sin(2 * std::numbers::pi * 11 * t);
        char digits[32];
        text.append(digits, std::to_chars(digits, digits + sizeof digits, static_cast<float>(v)).ptr);
        text += "\r\n";
    }
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

std::vector<std::vector<std::string>> tsvRows(const std::string &text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        rows.emplace_back();
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            rows.back().push_back(field);
    }
    return rows;
}

// A number the table prints, read without the process's locale.
double numberOf(const std::string &text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

class ExceedanceReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("sismavue-exceedances-" + std::to_string(getpid()));
        fs::create_directories(dir);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        path = writeBursts(dir / "bursts.psn");
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string report(std::vector<std::string> args)
    {
        std::ostringstream out, err;
        EXPECT_EQ(runReport(args, out, err), 0) << err.str();
        return out.str();
    }

    fs::path dir;
    std::string path;
};

} // namespace

TEST_F(ExceedanceReport, ThreeBurstsGiveTheRunsOfTheWindowsLevelsAndMergeJoinsTwo)
{
    // The runs above 71 dB straight from the levels the window keeps.
    LoadResult loaded = loadRecord(path);
    ASSERT_TRUE(std::holds_alternative<AnalysedRecord>(loaded));
    const AnalysedRecord &a = std::get<AnalysedRecord>(loaded);
    std::vector<std::pair<int32_t, int32_t>> runs;
    for (int32_t i = 1; i <= a.sampleCount; ++i) {
        if (a.slowLevel[i] > 71) {
            if (runs.empty() || runs.back().second != i - 1)
                runs.emplace_back(i, i);
            runs.back().second = i;
        }
    }
    ASSERT_EQ(runs.size(), 3u);

    const auto rows = tsvRows(report({"--exceedances", path}));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"File", "Label", "ID", "Start", "End", "StartTime", "Offset",
                                                 "Duration", "LawMax", "LawMaxTime"}));
    std::string lawMaxes;
    for (size_t k = 0; k < runs.size(); ++k) {
        SCOPED_TRACE(k);
        const auto &row = rows[k + 1];
        ASSERT_EQ(row.size(), 10u);
        EXPECT_EQ(row[0], path);
        EXPECT_EQ(row[1], "BURST");
        EXPECT_EQ(std::stoi(row[3]), runs[k].first);
        EXPECT_EQ(std::stoi(row[4]), runs[k].second);
        EXPECT_EQ(row[5], "");   // the record has no time
        EXPECT_NEAR(numberOf(row[6]) * 100, runs[k].first - 1, 1e-6);
        EXPECT_NEAR(numberOf(row[7]) * 100, runs[k].second - runs[k].first + 1, 1e-6);
        lawMaxes += row[8] + " ";
    }
    // The largest is Law,max,Slow to the printed digit.
    const auto figures = tsvRows(report({path}));
    EXPECT_NE(lawMaxes.find(figures[1][7] + " "), std::string::npos) << lawMaxes;

    const auto merged = tsvRows(report({"--exceedances", "--merge", "6", "--no-header", path}));
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(std::stoi(merged[0][3]), runs[0].first);
    EXPECT_EQ(std::stoi(merged[1][3]), runs[1].first);
    EXPECT_EQ(std::stoi(merged[1][4]), runs[2].second);
}
