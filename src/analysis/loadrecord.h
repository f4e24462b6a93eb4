#pragma once

#include "analysis/levels.h"
#include "analysis/levelstages.h"
#include "record/recordreader.h"
#include "session/progress.h"
#include "session/threads.h"

#include <variant>

using LoadResult = std::variant<AnalysedRecord, LoadError>;

struct LoadOptions {
    ThreadPolicy threads = defaultThreads();
    // The fraction of the analysis done: up to a half while the weighting
    // runs, a half after it, up to 1 while the levels catch up (on two
    // threads), 1 at the end.
    Progress progress;
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
LoadResult analyseRecord(Record &&record, const std::string &fileName, const LoadOptions &options = {});

// Reads the file's one record at `path`, in whichever format it is, and
// analyses it.
LoadResult loadRecord(const std::string &path, const ReadOptions &read = {}, const LoadOptions &options = {});
