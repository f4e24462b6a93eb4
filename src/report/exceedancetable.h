#pragma once

#include "analysis/exceedances.h"
#include "record/loaderror.h"
#include "report/options.h"

#include <optional>
#include <string>
#include <vector>

// The exceedances of one record, as sismavue-report --exceedances prints
// them: a row each.
struct ExceedanceRows {
    std::string file;                  // the path as given
    std::string station, component;
    int32_t sampleRate = 0;
    std::optional<int64_t> startTime;  // of the first sample, UTC microseconds since 1970
    std::vector<Exceedance> exceedances;
};

// The header line (TSV, CSV) when `header`, the opening bracket (JSON).
std::string exceedanceTableStart(TableFormat format, bool header);

// The rows with their line ends. JSON rows each start with ",\n", so that a
// record without any adds nothing; dropFirstSeparator takes it off the
// first row written.
std::string exceedanceTableRows(TableFormat format, const ExceedanceRows &rows);
void dropFirstSeparator(std::string &rows, bool &first);

// A file that could not be read: its place in a JSON array, starting with
// ",\n" as a row does; nothing in TSV and CSV.
std::string exceedanceTableError(TableFormat format, const LoadError &error);

// The closing bracket (JSON).
std::string exceedanceTableEnd(TableFormat format);
