#pragma once

#include "analysis/levels.h"
#include "analysis/levelstages.h"

#include <cstdint>
#include <optional>
#include <vector>

// A longest run of samples whose slow level lies strictly above a threshold.
struct Exceedance {
    int32_t first = 0;          // first sample of the run, 1..count
    int32_t last = 0;           // last sample, first..count
    float lawMax = 0;           // largest level of the run, dB
    int32_t lawMaxSample = 0;   // the first sample at that level

    friend bool operator==(const Exceedance &, const Exceedance &) = default;
};

// Seconds from the record's first sample to sample k: (k - 1) / rate.
double sampleOffset(int64_t sample, int32_t sampleRate);

// (last - first + 1) / rate seconds.
double exceedanceDuration(const Exceedance &e, int32_t sampleRate);

// The UTC time of a record's first sample, in microseconds since 1970;
// none when the record does not tell.
inline std::optional<int64_t> recordStartTime(const AnalysedRecord &record)
{
    if (!record.startTime)
        return std::nullopt;
    return record.startTime->time_since_epoch().count();
}

// The UTC time of sample k of a record that starts at `start`, to the
// nearest microsecond; none without a start.
std::optional<int64_t> sampleTime(std::optional<int64_t> start, int64_t sample, int32_t sampleRate);

// Finds the exceedances of a record's slow level from its pieces, taken in
// sample order, without keeping the levels. Exceedances less than
// `mergeSeconds` apart, from the end of one to the start of the next
// ((next.first - last - 1) / rate), are joined into one whose largest level
// is the larger of the two (the earlier on a tie).
class ExceedanceTrack {
public:
    explicit ExceedanceTrack(int32_t sampleRate, double threshold = perceptionThreshold,
                             double mergeSeconds = 0);

    // The next piece: its levels when they are kept, else its running mean
    // squares, of which only those near or above the threshold's mean square
    // become levels, exactly as the kept ones are made.
    void follow(const LevelledPiece &piece);
    void addLevels(const float *levels, int32_t n, int32_t first);
    void addMeanSquares(const double *meanSquares, int32_t n, int32_t first);

    // The exceedances, in order, a run still open ending at the last sample
    // added.
    std::vector<Exceedance> finish();

private:
    void above(float level, int32_t sample)
    {
        if (!open_) {
            open_ = true;
            run_ = {sample, sample, level, sample};
        } else if (level > run_.lawMax) {
            run_.lawMax = level;
            run_.lawMaxSample = sample;
        }
        run_.last = sample;
    }
    void close();

    int32_t sampleRate_;
    double threshold_;
    double mergeSeconds_;
    LevelScale scale_;
    double nearMeanSquare_;   // below it a level cannot lie above the threshold
    bool open_ = false;
    Exceedance run_;
    std::optional<Exceedance> pending_;   // the last closed run, awaiting a merge
    std::vector<Exceedance> found_;
};
