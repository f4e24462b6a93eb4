#pragma once

#include "analysis/levels.h"
#include "analysis/levelstages.h"
#include "record/recordreader.h"

#include <functional>
#include <variant>

using LoadResult = std::variant<AnalysedRecord, LoadError>;

// A load's progress runs 0..100: 5 to 10 while reading, 20 after the
// weighting, 30 after the levels, with steps in between on long records.
struct LoadOptions : ReadOptions {
    // Without, the record's slowLevel stays empty: only its largest level
    // is kept, and the load touches 4 bytes a sample less.
    bool keepLevels = true;
    // Other work for the analysis's helper while it waits (weighAndLevel).
    Alongside alongside;
    // Work that follows the levels piece by piece (weighAndLevel).
    FollowLevels followLevels;
};

// Analyses a record read by the reader; fails only when the values are too
// large for the 32-bit arithmetic (a square or a level overflows).
LoadResult analyseRecord(PsnRecord &&record, const std::string &fileName,
                         const LoadOptions &options = {});

// Reads and analyses the file at `path`, in whichever format it is.
LoadResult loadRecord(const std::string &path, const LoadOptions &options = {});
