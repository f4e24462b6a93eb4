#pragma once

#include "record/loaderror.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// How the values stored in a file become m/s: value * factor / divisor,
// in 64-bit, before the rounding to 32-bit. 1 / 1 takes them as they stand.
struct ValueScale {
    double factor = 1;
    double divisor = 1;
    bool asTheyStand = true;

    // Counts per m/s: value / sensitivity gives m/s.
    static ValueScale sensitivity(double countsPerMetrePerSecond)
    {
        return {1, countsPerMetrePerSecond, false};
    }
    double countsPerMetrePerSecond() const { return divisor / factor; }
};

// One line of a sensitivity table: STATION<TAB>COMPONENT<TAB>S, S in counts
// per m/s; the component "*" matches any.
struct SensitivityEntry {
    std::string station, component;
    double countsPerMetrePerSecond = 0;
};
using SensitivityTable = std::vector<SensitivityEntry>;

// Where a record's sensitivity may come from, first match wins: the one
// given for the whole run, the table (an exact component before "*", the
// first such line in each case), then the file's own header.
struct SensitivityChoice {
    std::optional<double> given;
    const SensitivityTable *table = nullptr;
};

// Station and component codes are compared without the blanks and tabs
// around them.
ValueScale chooseScale(const SensitivityChoice &choice, std::string_view station,
                       std::string_view component, std::optional<ValueScale> fromHeader);

// A sensitivity as written on a command line or in a table: a finite number
// above 0, nothing else on it, with "." as the decimal separator or, as a
// person types it, `separator` (the locale's, "," say).
std::optional<double> parseSensitivity(std::string_view text, std::string_view separator = ".");

// The table in `text` (lines ended by LF or CR LF; "#" starts a comment;
// blank lines are skipped); a line that is not three fields with a valid
// sensitivity is an error naming `name` and the line.
std::variant<SensitivityTable, LoadError> parseSensitivityTable(std::string_view text,
                                                                const std::string &name);

// The text of the table at `path`; a file that does not exist is empty
// when `mayBeMissing`.
std::variant<std::string, LoadError> readTableText(const std::string &path, bool mayBeMissing);

// Reads the table at `path`, as readTableText does.
std::variant<SensitivityTable, LoadError> readSensitivityTable(const std::string &path,
                                                               bool mayBeMissing);

// The person's own table: sismavue/sensitivities.tsv under $XDG_CONFIG_HOME,
// or under ~/.config when that is unset or not an absolute path. Empty when
// neither can be told.
std::string userSensitivityTablePath();

// `text` with the line for exactly this station and component set to `s`
// (the first such line replaced, later ones dropped, a new one appended at
// the end when none), or every such line removed when `s` is empty.
// Comments and all other lines are kept as they are.
std::string withSensitivity(std::string_view text, std::string_view station,
                            std::string_view component, std::optional<double> s);

// Whether a station or component code can stand in a table line: something
// besides blanks, and no TAB inside, no line end, no "#".
bool usableInTable(std::string_view code);

// Replaces the file at `path` by `text` as a whole: written beside it under
// another name, then renamed over it, so that a failure leaves the old
// table. Creates the folder when missing. Returns the reason on failure.
std::optional<std::string> writeTableFile(const std::string &path, std::string_view text);

// The shortest text that reads back to the same double ("2048", "1e-09").
std::string shortestText(double value);
