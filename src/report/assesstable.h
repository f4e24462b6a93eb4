#pragma once

// The rows of an assessment as sismavue-report --assess prints them, for
// the report and the window alike: a row per component, then a row per
// set, as TSV, CSV or JSON. Plain functions of the assessment's results
// and of what the records are; no option, file or thread is looked at.
//
// Columns, as the header names them (and JSON, except that a set's row
// names its "channel" "channels", a list):
//   DIN 4150-3: kind file network station location channel startTime ppv
//     ppvTime frequencyZeroCrossing frequencySpectrum frequencySpectrumSecond
//     frequencyUsed frequencyMethod limit ratio pvs pvsTime governing
//     verdict notes error
//   DIN 4150-2: kind file network station location channel startTime kbFmax
//     kbFmaxTime kbFTm cycles kbFTr au ao ar governing verdict notes error
// A JSON object holds the names its kind of row has, numbers as the
// shortest text that reads back as the same double, null where there is
// none; TSV and CSV every column, empty where the row has nothing, mm/s
// with two decimals, KB values, ratios, Hz and seconds with three; lists
// (channels, cycles) separated by blanks, notes by "; ".

#include "assess/options.h"
#include "assess/people.h"
#include "assess/structures.h"
#include "record/record.h"
#include "report/options.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Where a component's figures come from.
struct AssessSource {
    std::string file;          // the path as given
    RecordInfo info;           // codes, rate and start time of the record
    int64_t firstSample = 0;   // the first sample assessed, from 0 at the record's first
};

struct AssessCell {
    std::size_t column = 0;    // into assessColumns(standard)
    std::string_view name;     // the JSON name
    std::string json;          // the JSON value
    std::string text;          // the table's text, before escaping
};

struct AssessRow {
    std::vector<AssessCell> cells;    // in column order, the row's own only
    std::optional<Verdict> verdict;   // none: not assessed
};

std::span<const std::string_view> assessColumns(Standard standard);

// A component's row: "startTime" is the record's start, "ppvTime" and
// "kbFmaxTime" seconds after it. `notes` come after the assessment's own
// (why the component is in no set).
AssessRow structureRow(const AssessSource &source, const StructureResult &result,
                       std::span<const std::string> notes = {});
AssessRow peopleRow(const AssessSource &source, const PeopleResult &result,
                    std::span<const std::string> notes = {});

// A component that could not be assessed: its codes and the reason.
AssessRow failedRow(Standard standard, const AssessSource &source, const std::string &reason);

// A set's three component rows, then its own: "file" and "startTime" are
// its first component's, "pvsTime" seconds after that record's start,
// "governing" the channel code of the component whose verdict is the
// set's. `sources` in the order of the results.
std::vector<AssessRow> structureSetRows(const std::array<AssessSource, 3> &sources, const StructureSetResult &set);
std::vector<AssessRow> peopleSetRows(const std::array<AssessSource, 3> &sources, const PeopleSetResult &set);

// The header line (TSV, CSV) when `header`; "[" (JSON) always.
std::string assessTableStart(Standard standard, TableFormat format, bool header);

// A row with its line end. A JSON row starts with ",\n": dropFirstSeparator
// (exceedancetable.h) takes it off the first row written.
std::string assessTableRow(Standard standard, TableFormat format, const AssessRow &row);

// "\n]\n" (JSON), else nothing.
std::string assessTableEnd(TableFormat format);

// The whole table of `rows`, exactly as the report prints it.
std::string assessTable(Standard standard, TableFormat format, std::span<const AssessRow> rows, bool header);
