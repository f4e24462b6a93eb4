#include "report/report.h"

#include "report/pdfreport.h"

#include "../record/mseedwriter.h"
#include "../record/ctext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class Report : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("sismavue-report-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        // The person's own sensitivity table would change the figures.
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string userTable() const { return (dir / "config/sismavue/sensitivities.tsv").string(); }

    std::string write(const std::string &name, const std::string &text)
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // A record with a header of our own and values 1..count scaled.
    std::string record(const std::string &name, int count, const std::string &station = "ABC")
    {
        std::string text = "Number of Samples: " + std::to_string(count) + "\r\nSPS: 100\r\n";
        if (!station.empty())
            text += "Station Code: " + station + "\r\nComponent Name: Z\r\n";
        text += "Data:\r\n";
        for (int i = 1; i <= count; ++i)
            text += cText(((i * 37) % 101 - 50) * 1e-6, std::chars_format::fixed, 6) + "\r\n";
        return write(name, text);
    }

    int run(std::vector<std::string> args)
    {
        out.str("");
        err.str("");
        return runReport(args, out, err);
    }

    fs::path dir;
    std::ostringstream out, err;
};

const std::string header = "File\tLabel\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max\n";

} // namespace

TEST_F(Report, OneTwoThreeRecord)
{
    const std::string path = write("123.psn", "Number of Samples: 3\r\nSPS: 100\r\nStation Code: ST\r\n"
                                              "Component Name: HHZ\r\nData:\r\n1\r\n2\r\n3\r\n4\r\n");
    EXPECT_EQ(run({path}), 0);
    const std::string row = out.str().substr(header.size());
    EXPECT_EQ(out.str().substr(0, header.size()), header);
    EXPECT_TRUE(row.starts_with(path + "\tST\tHHZ\t0\t 3\t1000000.\t816496.58\t")) << row;
    EXPECT_EQ(std::count(row.begin(), row.end(), '\t'), 8);
    EXPECT_EQ(row.back(), '\n');
    EXPECT_EQ(err.str(), "sismavue-report: " + path + ": warning: the data hold 4 values but \"Number of Samples\" "
                         "announces 3: only the first 3 are read\n"
                         "sismavue-report: " + path + ": warning: the largest value is 3, which cannot be m/s: "
                         "the values look like counts; give their sensitivity in counts per m/s with "
                         "--sensitivity S, or as a line STATION<TAB>COMPONENT<TAB>S in " + userTable() + "\n");
}

// The sensitivity comes from --sensitivity, else from the table of
// --sensitivities or the person's own; the JSON row tells which was used.
TEST_F(Report, SensitivityComesFromTheOptionOrATableAndWarningsGoToStandardError)
{
    std::string text = "Number of Samples: 400\r\nSPS: 20\r\nStation Code: ABC\r\nComponent Name: Z\r\nData:\r\n";
    for (int i = 0; i < 400; ++i)
        text += std::to_string(2048 + (i * 37) % 11) + "\r\n";
    const std::string counts = write("counts.psn", text);
    const std::string other = write("other.tsv", "ABC\tZ\t1000\n");
    const std::string broken = write("broken.tsv", "ABC Z 1000\n");
    fs::create_directories(dir / "config/sismavue");
    const std::string lowRate = "sismavue-report: " + counts + ": warning: at 20 samples per second the weighting "
                                "attenuates 2 Hz by 3.4 dB more than at 100 samples per second: levels read lower\n";
    const std::string countsWarning = "sismavue-report: " + counts + ": warning: the largest value is 2.058";
    struct Row { const char *name; std::string table; std::vector<std::string> args; int status; std::string sensitivity, err; };
    const Row rows[] = {
        {"none", "", {}, 0, "null", "sismavue-report: " + counts + ": warning: the largest value is 2058, which cannot be m/s"},
        {"the person's table", "ABC\t*\t2048e3\n", {}, 0, "2048000", lowRate},
        {"--sensitivities before the person's table", "ABC\t*\t2048e3\n", {"--sensitivities", other}, 0, "1000",
         countsWarning + " m/s with a sensitivity of 1000 counts per m/s, which cannot be right: the sensitivity looks wrong\n"},
        {"--sensitivity before any table", "ABC\tZ\t7\n", {"--sensitivity=5e5"}, 0, "5e+05", lowRate},
        {"a broken table", "", {"--sensitivities", broken}, 1, "",
         "sismavue-report: " + broken + ": line 1: expected STATION<TAB>COMPONENT<TAB>SENSITIVITY\n"},
        {"a missing table", "", {"--sensitivities", other + ".missing"}, 1, "",
         "sismavue-report: " + other + ".missing: cannot be opened: No such file or directory\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(userTable());
        if (!row.table.empty())
            write("config/sismavue/sensitivities.tsv", row.table);
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"--format", "json", counts});
        EXPECT_EQ(run(args), row.status);
        EXPECT_TRUE(err.str().starts_with(row.err)) << err.str();
        EXPECT_TRUE(err.str().ends_with(row.status == 0 ? lowRate : row.err)) << err.str();
        if (row.status == 0) {
            EXPECT_NE(out.str().find("\"sensitivity\": " + row.sensitivity + "}"), std::string::npos) << out.str();
        } else {
            EXPECT_EQ(out.str(), "");
        }
    }
}

// A row per channel in file order, a failed channel in its place, a
// channel with a gap in its two pieces; the rows equal those of each
// channel's values as m/s in PSN text.
TEST_F(Report, MiniSeedGivesARowPerChannel)
{
    MiniSeed z, n, e;
    z.values.resize(3000);
    for (int i = 0; i < 3000; ++i)
        z.values[i] = std::round(900 * std::sin(i * 0.2));
    n.values = std::vector<double>(z.values.rbegin(), z.values.rend());
    n.channel = "EHN";
    e.values = std::vector<double>(z.values.begin(), z.values.begin() + 1500);
    e.channel = "EHE";
    std::string eBytes = e.bytes();
    e.start += 17 * HPTMODULUS;
    eBytes += e.bytes();
    MiniSeed broken = n;
    broken.channel = "EHX";
    broken.encoding = DE_FLOAT32;
    broken.values[7] = std::numeric_limits<double>::infinity();
    const std::string file = write("four.mseed", interleaved({z.bytes(), n.bytes(), eBytes, broken.bytes()}));
    const auto rowOf = [&](const MiniSeed &m, size_t count) {
        std::string text = "Number of Samples: " + std::to_string(count) + "\r\nSPS: 100\r\nStation Code: BGLD\r\n"
                           "Component Name: " + m.channel + "\r\nData:\r\n";
        for (size_t i = 0; i < count; ++i)
            text += cText(m.values[i] / 1e6, std::chars_format::fixed, 6) + "\r\n";
        const std::string psn = write(m.channel + ".psn", text);
        run({"--no-header", psn});
        return file + out.str().substr(psn.size());
    };
    const std::string infinite = "sismavue-report: " + file + ": channel EHX: sample 8 is infinite\n";
    const std::string zRow = rowOf(z, 3000), nRow = rowOf(n, 3000), eRow = rowOf(e, 1500);
    EXPECT_EQ(run({"--no-header", "--sensitivity", "1e6", file}), 1);
    EXPECT_EQ(out.str(), zRow + nRow + eRow + eRow);
    EXPECT_EQ(err.str(), infinite);
    EXPECT_EQ(run({"--no-header", "--channel", "EHN", "--sensitivity", "1e6", file}), 0);
    EXPECT_EQ(out.str(), nRow);
    EXPECT_EQ(run({"--format", "json", "--channel=XX.BGLD..EHX", file}), 1);
    const std::string reason = infinite.substr(infinite.find("channel EHX"));
    EXPECT_EQ(out.str(), "[\n{\"file\": \"" + file + "\", \"error\": \"" + reason.substr(0, reason.size() - 1) + "\"}\n]\n");
    EXPECT_EQ(run({"--channel", "EHZ", file}), 0);
    EXPECT_TRUE(err.str().starts_with("sismavue-report: " + file + ": channel EHZ: warning: the largest value is 900,")) << err.str();

    // The pieces of a channel with a gap, each with its start time.
    EXPECT_EQ(run({"--format", "json", "--channel", "EHE", "--sensitivity", "1e6", file}), 0);
    const std::string json = out.str();
    const std::string place = "\"startTime\": \"2024-03-01T10:00:";
    for (const std::string start : {"00.000000Z", "17.000000Z"})
        EXPECT_NE(json.find(place + start + "\", \"network\": \"XX\", \"location\": \"\", \"channel\": \"EHE\""),
                  std::string::npos) << json;
    EXPECT_EQ(run({"--channel", "EHE", file}), 0);
    EXPECT_TRUE(err.str().starts_with("sismavue-report: " + file + ": channel EHE piece 1 of 2: warning: the largest value is 900,"))
        << err.str();

    EXPECT_EQ(run({"--spectrum", file}), 2);
    EXPECT_EQ(err.str(), "sismavue-report: --spectrum: expected a file of one channel or --channel CODE, got " + file +
                             " of 5 channels (EHZ, EHN, EHE piece 1 of 2, EHE piece 2 of 2, EHX)\nTry 'sismavue-report --help'.\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(run({"--spectrum", "--channel", "EHN", file}), 0);
    const std::string spectrum = out.str();
    EXPECT_EQ(std::count(spectrum.begin(), spectrum.end(), '\n'), 1025);
}

TEST_F(Report, SegmentIsClampedSwappedAndEqualEndsMeanTheWholeRecord)
{
    const std::string path = record("r.psn", 5000);
    run({path});
    const std::string whole = out.str();
    for (const char *equal : {"300:300", "0:1", "6000:9000", "-5:1"}) {
        SCOPED_TRACE(equal);
        EXPECT_EQ(run({"--segment", equal, path}), 0);
        EXPECT_EQ(out.str(), whole);
    }
    run({"--segment", "100:4000", path});
    const std::string forward = out.str();
    EXPECT_NE(forward.find("\t 100\t 4000\t"), std::string::npos) << forward;
    EXPECT_NE(forward, whole);
    run({"--segment=4000:100", path});
    EXPECT_EQ(out.str(), forward);
    run({"--segment", "-20:99999", path});
    EXPECT_NE(out.str().find("\t 1\t 5000\t"), std::string::npos) << out.str();
}

TEST_F(Report, UnreadableFilesAreReportedAndTheRestStillComeOutInOrder)
{
    std::vector<std::string> files;
    for (int i = 0; i < 7; ++i) {
        std::string name = std::to_string(i);
        name += ".psn";
        files.push_back(record(name, 40000 - i * 5000));
    }
    files.insert(files.begin() + 3, (dir / "missing.psn").string());
    files.push_back(write("short.psn", "Number of Samples: 10\nSPS: 100\nData:\n1.5e-6\n2.5e-6\n"));
    EXPECT_EQ(run(files), 1);

    std::istringstream rows(out.str());
    std::string line;
    std::getline(rows, line);
    for (size_t i = 0; i < files.size(); ++i) {
        if (i == 3 || i + 1 == files.size())
            continue;
        ASSERT_TRUE(std::getline(rows, line));
        EXPECT_TRUE(line.starts_with(files[i] + "\t")) << line;
    }
    EXPECT_FALSE(std::getline(rows, line));
    std::istringstream errors(err.str());
    ASSERT_TRUE(std::getline(errors, line));
    EXPECT_TRUE(line.starts_with("sismavue-report: " + files[3] + ": ")) << line;
    ASSERT_TRUE(std::getline(errors, line));
    EXPECT_TRUE(line.starts_with("sismavue-report: " + files.back() + ": ")) << line;
    EXPECT_NE(line.find("2 of 10"), std::string::npos) << line;
}

// Output that calls `first` when the first row reaches it, after the header.
class FirstRowCall : public std::stringbuf {
public:
    explicit FirstRowCall(std::function<void()> first) : first_(std::move(first)) {}

protected:
    std::streamsize xsputn(const char *text, std::streamsize count) override
    {
        if (++writes_ == 2)
            first_();
        return std::stringbuf::xsputn(text, count);
    }

private:
    std::function<void()> first_;
    int writes_ = 0;
};

// The assessment reads its groups a few ahead of the rows printed, never
// all before the first row: memory holds only those few, however many
// files are given. A file removed once the first row is out is found
// missing in its turn.
TEST_F(Report, AssessmentReadsOnlyAFewGroupsAheadOfTheRowsPrinted)
{
    std::vector<std::string> files;
    for (const char *station : {"S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7"})
        files.push_back(record(station + std::string(".psn"), 4000, station));
    for (const char *standard : {"din4150-3", "din4150-2"}) {
        SCOPED_TRACE(standard);
        record("S7.psn", 4000, "S7");
        FirstRowCall rows([&] { fs::remove(files.back()); });
        std::ostream output(&rows);
        std::vector<std::string> args = {"--jobs", "1", "--assess", standard};
        args.insert(args.end(), files.begin(), files.end());
        err.str("");
        EXPECT_EQ(runReport(args, output, err), 1);
        EXPECT_NE(err.str().find(files.back() + ": cannot be opened"), std::string::npos) << err.str();
        const std::string table = rows.str();
        EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 9) << table;   // its failed row too
    }
}

TEST_F(Report, JobsChangeNeitherRowsNorTheirOrder)
{
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i)
        files.push_back(record(std::to_string(i) + ".psn", 3000 + 1000 * i));
    files.insert(files.begin() + 2, (dir / "missing.psn").string());
    EXPECT_EQ(run(files), 1);
    const std::string rows = out.str(), errors = err.str();
    ASSERT_EQ(std::count(rows.begin(), rows.end(), '\n'), 6);
    for (const char *jobs : {"1", "2", "+3", "100000"}) {
        SCOPED_TRACE(jobs);
        std::vector<std::string> args = {"--jobs", jobs};
        args.insert(args.end(), files.begin(), files.end());
        EXPECT_EQ(run(args), 1);
        EXPECT_EQ(out.str(), rows);
        EXPECT_EQ(err.str(), errors);
    }
    EXPECT_EQ(run({"--jobs=1", "--segment", "10:2000", files[0]}), 0);
    EXPECT_NE(out.str().find("\t 10\t 2000\t"), std::string::npos) << out.str();
}

TEST_F(Report, LongRecordGivesTheSameFiguresAndSpectrumOnOneThreadOrTwo)
{
    // Long enough for the levels and the spectrum to follow the weighting on
    // a helper when there are two threads; with an offset, so that a block
    // taken before the mean is removed from it differs.
    std::string text = "Number of Samples: 300000\nSPS: 100\nData:\n";
    for (int i = 1; i <= 300000; ++i)
        text += cText(3e-4 + ((i * 37) % 101 - 50) * 1e-6 * (1 + i / 50000), std::chars_format::fixed, 6) + "\n";
    const std::string path = write("long.psn", text);
    const auto output = [&](std::vector<std::string> args) {
        args.push_back(path);
        EXPECT_EQ(run(args), 0);
        return out.str();
    };
    EXPECT_EQ(output({"--jobs", "2", "--spectrum"}), output({"--jobs", "1", "--spectrum"}));
    const std::string row = output({"--jobs", "1"});
    EXPECT_EQ(output({"--jobs", "2"}), row);
    // Only the largest level is taken for the whole record; over a segment
    // of all its samples, every level is kept and searched.
    const auto law = [](const std::string &table) {
        const std::string line = table.substr(table.find('\n') + 1);
        size_t at = 0;
        for (int field = 0; field < 7; ++field)
            at = line.find('\t', at) + 1;
        return line.substr(at, line.find('\t', at) - at);
    };
    EXPECT_EQ(law(output({"--jobs", "2", "--segment", "1:300000"})), law(row)) << row;
}

TEST_F(Report, NothingCarriesOverBetweenFiles)
{
    const std::string labelled = record("a.psn", 3000, "ABC");
    const std::string plain = record("b.psn", 3000, "");
    run({labelled, plain});
    EXPECT_NE(out.str().find(plain + "\t\t\t0\t 3000\t"), std::string::npos) << out.str();
}

TEST_F(Report, SpectrumText)
{
    const std::string path = record("s.psn", 3000);
    EXPECT_EQ(run({"--spectrum", "--segment", "1:2500", path}), 0);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1025);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_TRUE(text.starts_with("Freq. (Hz)\tVelocity (\u00b5m/s)\n0.\t")) << text.substr(0, 60);
    EXPECT_NE(text.find("\n49.9512\t"), std::string::npos);   // line 1023 at 100 samples/s
}

TEST_F(Report, BadArgumentsNameTheArgumentAndWhatWasExpected)
{
    const std::string path = record("x.psn", 10);
    const std::string segment = "--segment: expected START:END with whole numbers, got ";
    const std::string jobs = "--jobs: expected a whole number of at least 1, got ";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "missing FILE"},
        {{"--spectrum"}, "--spectrum: expected one FILE, got none"},
        {{"--spectrum", path, path}, "--spectrum: expected one FILE, got 2"},
        {{"--spectrum", "--format", "csv", path}, "--format: expected tsv with --spectrum, got \"csv\""},
        {{"--segment", "5", path}, segment + "\"5\""},
        {{"--segment", path}, segment + "\"" + path + "\""},
        {{"--segment", "1-5", path}, segment + "\"1-5\""},
        {{"--segment=a:5", path}, segment + "\"a:5\""},
        {{"--segment", "1:5\n", path}, segment + "\"1:5\\n\""},
        {{"--segment", "1:5", "--segment", "2:6", path}, "--segment: given more than once"},
        {{"--bogus", path}, "--bogus: unknown option"},
        {{"--bogus=1", path}, "--bogus: unknown option"},
        {{"--quiet=yes", path}, "--quiet: expected no value, got \"yes\""},
        {{path, "--jobs"}, "--jobs: missing N"},
        {{"--jobs", "0", path}, jobs + "\"0\""},
        {{"--jobs=-2", path}, jobs + "\"-2\""},
        {{"--jobs=", path}, jobs + "\"\""},
        {{"--jobs", "2x", path}, jobs + "\"2x\""},
        {{"--format", "xml", path}, "--format: expected tsv, csv or json, got \"xml\""},
        {{"--plot", "p", "--plot-scale", "5", path}, "--plot-scale: expected a whole number from 1 to 4, got \"5\""},
        {{"--plot", "p", "--plot-format", "gif", path}, "--plot-format: expected png or pdf, got \"gif\""},
        {{"--plot-scale", "2", path}, "--plot-scale: expected together with --plot DIR"},
        {{"--force", path}, "--force: expected together with --plot DIR"},
        {{"--version", path}, "--version: expected no other argument"},
        {{"--sensitivity", "0", path}, "--sensitivity: expected a number of counts per m/s above 0, got \"0\""},
        {{"-", path, "-"}, "-: given more than once (standard input is read once)"},
        {{"--channel=", path}, "--channel: expected a channel code, got \"\""},
        {{"--exceedances", "--threshold", "71dB", path}, "--threshold: expected a level in dB from -1000 to 1000, got \"71dB\""},
        {{"--exceedances", "--merge", "-1", path}, "--merge: expected a number of seconds, 0 or more, got \"-1\""},
        {{"--merge", "2", path}, "--merge: expected together with --exceedances"},
        {{"--exceedances", "--segment", "1:5", path},
         "--segment: expected no --exceedances with it, which looks at the whole record"},
        {{"--sensitivity", "1e6", "--sensitivities", "t.tsv", path},
         "--sensitivities: expected no --sensitivity with it, which holds for every FILE"},
        {{"--assess", "din4150", path}, "--assess: expected din4150-3 or din4150-2, got \"din4150\""},
        {{"--assess", "din4150-3", "--area", "mixed", path}, "--area: expected together with --assess din4150-2"},
        {{"--place", "slab", path}, "--place: expected together with --assess din4150-3"},
        {{"--assess", "din4150-2", "--exposure", "0", path}, "--exposure: expected a number of hours above 0, got \"0\""},
        {{"--fail-on-exceeded", path}, "--fail-on-exceeded: expected together with --assess"},
        {{"--assess", "din4150-3", "--exceedances", path},
         "--exceedances: expected no --assess with it, which prints the assessment's rows instead"},
        {{"--inventory", "i.xml", "--sensitivity", "1e6", path},
         "--inventory: expected no --sensitivity with it, which holds for every FILE"},
        {{"--pdf=", path}, "--pdf: expected a file, got \"\""},
        {{"--title", "Bridge works", path}, "--title: expected together with --pdf FILE"},
        {{"--pdf", "r.pdf", "--segment", "1:5", path}, "--segment: expected no --pdf with it"},
        {{"--pdf", "r.pdf", "--plot", "p", path}, "--plot: expected no --pdf with it"},
        {{"--pdf", "r.pdf", "-"}, "-: expected files with --pdf, which reads each twice"},
    };
    for (const auto &[args, message] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(run(args), 2);
        EXPECT_EQ(err.str(), "sismavue-report: " + message + "\nTry 'sismavue-report --help'.\n");
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_TRUE(out.str().starts_with("usage: sismavue-report"));
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out.str(), "sismavue-report " SISMAVUE_VERSION "\n");
    EXPECT_EQ(run({"--", "--segment"}), 1);   // a file named like an option
}

// The monitoring report's footer shows the options as given, so that the
// command can be typed again, and never the files, whose paths are the
// machine's.
TEST(PdfReport, FooterShowsTheOptionsAsGivenWithoutTheFiles)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--pdf", "r.pdf", "--title", "Bridge works", "/home/a/events", "b.psn"}, "--pdf r.pdf --title 'Bridge works'"},
        {{"/data/a.psn", "--quiet", "--site=O'Hare", "--assess=din4150-3"}, "--quiet '--site=O'\\''Hare' --assess=din4150-3"},
        {{"--force", "--pdf", "r.pdf", "--", "--title", "x.psn"}, "--force --pdf r.pdf"},
    };
    for (const auto &[args, used] : cases) {
        SCOPED_TRACE(used);
        EXPECT_EQ(optionsUsed(args), used);
    }
}

// The progress line goes to a terminal only, and is erased before a message
// is written, so that the message stands on a line of its own.
TEST_F(Report, ProgressLineOnlyOnATerminalAndNeverUnderAMessage)
{
    const std::string good = record("good.psn", 100), missing = (dir / "missing.psn").string();
    for (const bool terminal : {false, true}) {
        SCOPED_TRACE(terminal);
        EXPECT_EQ(runReport({"--quiet", good, missing}, out, err, {false, terminal, {}}), 1);
        EXPECT_EQ(err.str(), "sismavue-report: " + missing + ": cannot be opened: No such file or directory\n");
        err.str("");
    }
    EXPECT_EQ(runReport({good, missing}, out, err, {false, false, {}}), 1);
    EXPECT_EQ(err.str().find('\r'), std::string::npos);
    err.str("");
    EXPECT_EQ(runReport({good, missing}, out, err, {false, true, {}}), 1);
    const std::string shown = err.str(), erase = "\r\x1b[K";
    EXPECT_TRUE(shown.starts_with("\r")) << shown;
    EXPECT_NE(shown.find(erase + "sismavue-report: " + missing + ": "), std::string::npos) << shown;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
    EXPECT_NE(shown.find("\r2 of 2 files, "), std::string::npos) << shown;
    EXPECT_TRUE(shown.ends_with(" left\x1b[K" + erase)) << shown;
}

// Each hostile file between two good ones: a message on standard error that
// names it and the reason, no row, and the good files still reported.
TEST_F(Report, HostileFilesAreNamedWithTheirReasonAndLeaveNoRow)
{
    const std::string head = "Number of Samples: 3\r\nSPS: 100\r\nData:\r\n";
    fs::create_directory(dir / "folder.psn");
    const std::string fifo = (dir / "pipe.psn").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Row { std::string path, reason; };
    const Row rows[] = {
        {write("count.psn", "Number of Samples: 2000000000\r\nSPS: 100\r\nData:\r\n" + std::string(1000, '1')),
         "line 1: the header announces 2000000000 samples but only 1000 bytes follow the \"Data:\" line"},
        {(dir / "folder.psn").string(), "is a directory, not a regular file"},
        {fifo, "is a named pipe, not a regular file"},
        {"/dev/zero", "is a character device, not a regular file"},
        {write("nul.psn", head + std::string(500, '\0')), "line 4: the file ends after 1 of 3 samples"},
        {write("huge.psn", head + "1 1e400 2"), "line 4: sample 2 is beyond the 32-bit float range"},
        {write("quote.psn", head + "\"1\r\n2\r\n3\r\n"),
         "line 6: the file ends after 1 of 3 samples; the quote opened on line 4 is never closed"},
        {write("\"leading quote ü.psn", head + "1 2"), "line 4: the file ends after 2 of 3 samples"},
    };
    const std::string first = record("first good.psn", 100), last = record("lást.psn", 100);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(run({first, row.path, last}), 1);
        EXPECT_EQ(err.str(), "sismavue-report: " + row.path + ": " + row.reason + "\n");
        std::istringstream rows(out.str());
        std::string line;
        std::getline(rows, line);
        ASSERT_TRUE(std::getline(rows, line));
        EXPECT_TRUE(line.starts_with(first + "\tABC\tZ\t0\t 100\t")) << line;
        ASSERT_TRUE(std::getline(rows, line));
        EXPECT_TRUE(line.starts_with(last + "\tABC\tZ\t0\t 100\t")) << line;
        EXPECT_FALSE(std::getline(rows, line));
    }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SISMAVUE_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SISMAVUE_SANITIZER 1
#endif
#endif

// A record that does not fit in the memory left is reported like any other
// unreadable file instead of ending the program. Run in a child whose
// address space is capped at 1 GB; the file is a 2 GB hole whose header
// announces samples that need more.
TEST_F(Report, RecordThatDoesNotFitInMemoryIsReported)
{
#ifdef SISMAVUE_SANITIZER
    GTEST_SKIP() << "the sanitizer's own address space does not allow a cap";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string big = write("big.psn", "Number of Samples: 300000000\r\nSPS: 100\r\nData:\r\n");
    fs::resize_file(big, 2LL << 30);
    const std::string good = record("good.psn", 100);
    const auto capped = [&] {
        const rlimit limit = {rlim_t{1} << 30, rlim_t{1} << 30};
        setrlimit(RLIMIT_AS, &limit);
        const int status = run({big, good});
        std::cerr << err.str();
        std::exit(status == 1 && out.str().find(good + "\tABC") != std::string::npos ? 0 : 3);
    };
    EXPECT_EXIT(capped(), testing::ExitedWithCode(0),
                "sismavue-report: .*big.psn: the record does not fit in memory");
#endif
}
