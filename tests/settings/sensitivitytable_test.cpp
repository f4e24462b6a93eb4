#include "settings/sensitivitytable.h"

#include "session/numbertext.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <stdlib.h>

namespace {

std::string describe(const std::variant<SensitivityTable, LoadError> &result)
{
    if (const auto *error = std::get_if<LoadError>(&result))
        return error->message();
    std::string text;
    for (const SensitivityEntry &e : std::get<SensitivityTable>(result))
        text += e.station + "|" + e.component + "|" + shortestText(e.countsPerMetrePerSecond) + ";";
    return text;
}

} // namespace

TEST(Sensitivity, TablesAreReadLineByLine)
{
    struct Row { const char *name; std::string text, result; };
    const Row rows[] = {
        {"lines, comments and blank lines",
         "# station\tcomponent\tcounts per m/s\r\nABC\tHHZ\t1.5e8\r\n\n  \nABC\t*\t2e8 # the others\nXY Z\t EHE \t+3",
         "ABC|HHZ|1.5e+08;ABC|*|2e+08;XY Z|EHE|3;"},
        {"empty", "", ""},
        {"blanks instead of TABs", "ABC HHZ 1e8\n", "t.tsv: line 1: expected STATION<TAB>COMPONENT<TAB>SENSITIVITY"},
        {"a fourth field", "ok\tZ\t1\nABC\tHHZ\t1e8\textra\n", "t.tsv: line 2: expected STATION<TAB>COMPONENT<TAB>SENSITIVITY"},
        {"no station", "\tHHZ\t1e8\n", "t.tsv: line 1: expected STATION<TAB>COMPONENT<TAB>SENSITIVITY"},
        {"zero", "ABC\tHHZ\t0\n", "t.tsv: line 1: the sensitivity \"0\" is not a number of counts per m/s above 0"},
        {"negative", "ABC\tHHZ\t-5\n", "t.tsv: line 1: the sensitivity \"-5\" is not a number of counts per m/s above 0"},
        {"not a number", "ABC\tHHZ\t1e8x\n", "t.tsv: line 1: the sensitivity \"1e8x\" is not a number of counts per m/s above 0"},
        {"infinite", "ABC\tHHZ\tinf\n", "t.tsv: line 1: the sensitivity \"inf\" is not a number of counts per m/s above 0"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(describe(parseSensitivityTable(row.text, "t.tsv")), row.result);
    }
}

TEST(Sensitivity, SettingALineKeepsEverythingElse)
{
    const std::string table = "# my recorders\r\nABC\tHHZ\t1e8 # old sensor\r\nABC\tHHZ\t5\nXYZ\t*\t7\n";
    struct Row { const char *name; std::string text, station, component; std::optional<double> s; std::string result; };
    const Row rows[] = {
        {"replaced where it stands, its comment kept", table, "ABC", "HHZ", 2.5e8,
         "# my recorders\r\nABC\tHHZ\t2.5e+08 # old sensor\r\nXYZ\t*\t7\n"},
        {"appended when new", table, " ABC ", "EHE", 4,
         table + "ABC\tEHE\t4\n"},
        {"appended after a last line without its end", "XYZ\t*\t7", "ABC", "*", 4, "XYZ\t*\t7\nABC\t*\t4\n"},
        {"into an empty table", "", "ABC", "HHZ", 1e-3, "ABC\tHHZ\t0.001\n"},
        {"removed", table, "ABC", "HHZ", std::nullopt, "# my recorders\r\nXYZ\t*\t7\n"},
        {"a broken line stays", "broken line\n", "ABC", "HHZ", 3, "broken line\nABC\tHHZ\t3\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(withSensitivity(row.text, row.station, row.component, row.s), row.result);
    }
}

TEST(Sensitivity, TheUsersTableIsWrittenWholeUnderTheConfigFolder)
{
    std::string name = (std::filesystem::temp_directory_path() / "sensitivity-XXXXXX").string();
    const std::filesystem::path dir = mkdtemp(name.data());
    const std::string saved = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    const std::string home = getenv("HOME") ? getenv("HOME") : "";

    setenv("XDG_CONFIG_HOME", "relative/path", 1);
    EXPECT_EQ(userSensitivityTablePath(), home + "/.config/sismavue/sensitivities.tsv");
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    const std::string path = userSensitivityTablePath();
    EXPECT_EQ(path, (dir / "sismavue/sensitivities.tsv").string());

    // A missing table is empty, unless it was named.
    EXPECT_EQ(describe(readSensitivityTable(path, true)), "");
    EXPECT_EQ(describe(readSensitivityTable(path, false)), path + ": cannot be opened: No such file or directory");
    // The folder is made; the file is replaced whole, nothing left beside it.
    EXPECT_EQ(writeTableFile(path, "ABC\tHHZ\t1e8\n"), std::nullopt);
    EXPECT_EQ(writeTableFile(path, "ABC\tHHZ\t2e8\n"), std::nullopt);
    EXPECT_EQ(describe(readSensitivityTable(path, true)), "ABC|HHZ|2e+08;");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "sismavue"), {}), 1);

    // A failure is told, and leaves nothing beside the table.
    const std::filesystem::path blocked = dir / "sismavue/blocked";
    std::filesystem::create_directories(blocked / "inside");
    EXPECT_EQ(writeTableFile(blocked.string(), "ABC\tHHZ\t3e8\n"), "cannot be written: Is a directory");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "sismavue"), {}), 2);
    if (saved.empty())
        unsetenv("XDG_CONFIG_HOME");
    else
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    std::filesystem::remove_all(dir);
}
