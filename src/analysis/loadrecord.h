#pragma once

#include "analysis/levels.h"
#include "record/recordreader.h"

#include <functional>
#include <variant>

using LoadResult = std::variant<AnalysedRecord, LoadError>;

// A load's progress runs 0..100: 5 to 10 while reading, 20 after the
// weighting, 30 after the levels, with steps in between on long records.
using LoadOptions = ReadOptions;

// Analyses a record read by the reader; fails only when the values are too
// large for the 32-bit arithmetic (a square or a level overflows).
LoadResult analyseRecord(PsnRecord &&record, const std::string &fileName,
                         const LoadOptions &options = {});

// Reads and analyses the file at `path`, in whichever format it is.
LoadResult loadRecord(const std::string &path, const LoadOptions &options = {});
