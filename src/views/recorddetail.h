#pragma once

#include "analysis/exceedances.h"
#include "views/minmax.h"

#include <optional>
#include <vector>

// What the detail view needs of a record besides its samples and levels,
// made while the record loads.
struct RecordDetail {
    MinMaxSummary samples;                 // of samples[1..count]
    MinMaxSummary levels;                  // of slowLevel[1..count]
    std::vector<Exceedance> exceedances;   // above the perception threshold
    std::optional<int64_t> startTime;      // UTC microseconds since 1970 of sample 1
};

// Makes a RecordDetail from a load's levelled pieces (LoadOptions::
// followLevels), on the levels' thread; the levels must be kept.
class RecordDetailBuilder {
public:
    void follow(const LevelledPiece &piece);
    // Once the load has succeeded.
    RecordDetail finish(std::optional<int64_t> startTime);

private:
    std::optional<ExceedanceTrack> track_;   // made with the first piece
    RecordDetail detail_;
};
