#pragma once

// The person's sensitivity table as a file: read, edited and written
// whole. How a sensitivity is chosen for a record is the reader's
// (record/valuescale.h).

#include "record/loaderror.h"
#include "record/valuescale.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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
