#pragma once

#include "analysis/levels.h"
#include "session/progress.h"
#include "session/threads.h"

#include <cstdint>
#include <functional>
#include <vector>

struct LevelStages {
    MeanRemoved removed;
    float lawMaxSlow = 0;   // largest slow level, >= 0
};

// Mean removal, weighting and slow level over samples[1..count], piece by
// piece. With `levels` (room reserved for count + 1 entries) the levels are
// kept there, entry 0 being 0; without, only the largest level stays. From
// threads.levelFromSamples on, with more than one thread, the levels follow
// the weighting on a helper. `progress` gets up to a half while the
// weighting runs, a half when it is done and up to 1 while the levels
// catch up.
// `follow`, when given, gets each piece once its levels are done, in sample
// order, on the levels' thread.
// While the helper waits for the weighting it calls `alongside` (when
// given) with the number of entries of samples, from 0, that are final; it
// does a little other work and returns true, or returns false when there is
// none to do yet.
using Alongside = std::function<bool(int64_t finalEntries)>;

// Samples from..from+n-1 of a record of `count` samples at `sampleRate`:
// their values with the mean removed, their running mean squares and, when
// the levels are kept, their levels (else null).
struct LevelledPiece {
    const float *samples = nullptr;
    const double *meanSquares = nullptr;
    const float *levels = nullptr;
    int32_t from = 0, n = 0;
    int32_t count = 0, sampleRate = 0;
};
using FollowLevels = std::function<void(const LevelledPiece &)>;

LevelStages weighAndLevel(std::vector<float> &samples, double sum, int32_t count,
                          int32_t sampleRate, std::vector<float> *levels,
                          const ThreadPolicy &threads, const Progress &progress,
                          const Alongside &alongside = {}, const FollowLevels &follow = {});
