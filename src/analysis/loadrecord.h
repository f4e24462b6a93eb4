#pragma once

#include "analysis/levels.h"
#include "record/psnreader.h"

#include <functional>
#include <variant>

using LoadResult = std::variant<AnalysedRecord, LoadError>;

// Progress of a load, 0..100: 5 to 10 while reading, 20 after the weighting,
// 30 after the levels, with steps in between on long records.
using LoadProgress = ReadProgress;

// Analyses a record read by the reader; fails only when the values are too
// large for the 32-bit arithmetic (a square, sum or level overflows).
LoadResult analyseRecord(PsnRecord &&record, const std::string &fileName,
                         const LoadProgress &progress = {});

// Reads and analyses the file at `path`.
LoadResult loadRecord(const std::string &path, const LoadProgress &progress = {});
