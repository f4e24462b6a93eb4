#pragma once

#include "record/record.h"
#include "analysis/levels.h"
#include "report/options.h"
#include "views/clipboardtext.h"

#include <cstdint>
#include <optional>
#include <string>

// One file's line of the table: what "Copy All" shows for it, and the
// record's own figures.
struct ReportRow {
    std::string file;                    // the path as given
    SummaryFields fields;
    const AnalysedRecord &record;        // its rate, count, codes, start time, sensitivity
};

// What comes before the first row: the header line (TSV, CSV) when
// `header`, the opening bracket (JSON) always.
std::string tableStart(TableFormat format, bool header);

// One row with its line end. `last` tells JSON to leave out the comma.
std::string tableRow(TableFormat format, const ReportRow &row, bool last);

// A file that could not be read: its place in a JSON array; nothing in TSV
// and CSV, whose rows hold figures only.
std::string tableError(TableFormat format, const LoadError &error, bool last);

// What comes after the last row: the closing bracket (JSON).
std::string tableEnd(TableFormat format);
