#pragma once

#include "analysis/weighting.h"
#include "record/record.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The level threshold the window marks: a "Law,max,Slow" strictly above it
// colours the box.
inline constexpr double perceptionThreshold = 71.0;

struct MeanRemoved {
    float peakSquare = 0;    // largest square of a mean-removed value
    double sumSquares = 0;   // sum of the 32-bit squares, accumulated in 64-bit
};

// Mean removal and weighting over samples[1..count] (entry 0 stays 0) in one
// pass. On return samples[i] holds the value minus the mean, weighted[i] the
// weighting filter's output; weighted must have count + 1 entries.
MeanRemoved removeMeanAndWeight(std::vector<float> &samples, double sum, int32_t count,
                                int32_t sampleRate, std::vector<float> &weighted);

// Turns the weighted signal in level[1..count] into the running slow level
// in place, in one pass. Returns the largest level, never below 0.
float slowLevelInPlace(std::vector<float> &level, int32_t count, int32_t sampleRate);

// The running mean square m of the weighted signal, with a 1 s time
// constant, and its slow level in dB, 10 log10(m / 1e-18) - 29.
class LevelScale {
public:
    explicit LevelScale(int32_t sampleRate);
    // m after one more weighted value y.
    double next(double m, double y) const { return m * (1 - s_) + y * s_ * y; }
    // While m is 0 (a silent lead-in) the level is minus infinity, which
    // never becomes the maximum.
    float level(double m) const { return static_cast<float>(10 * std::log(m / r2_) / ln10_ - 29); }
    // level(meanSquares[i]) into out[i] for i < n, the same bits, several
    // at a time.
    void levels(const double *meanSquares, int32_t n, float *out) const;

private:
    double s_, r2_, ln10_;
};

// The same two stages a piece at a time, in sample order, so that pieces
// taken in order give exactly what the passes above give for the whole. The
// first also carries the running mean square, a short chain beside the
// filter's long one; the second, whose samples no longer depend on each
// other, turns it into levels.
class MeanRemoval {
public:
    MeanRemoval(double sum, int32_t count, int32_t sampleRate);
    // The next n samples of the record, samples[0..n-1], become the value
    // minus the mean; meanSquares[0..n-1] the running mean square after each.
    void weighRange(float *samples, int32_t n, double *meanSquares);
    const MeanRemoved &result() const { return result_; }

private:
    WeightingFilter filter_;
    LevelScale scale_;
    double mean_;
    double m_ = 0;
    MeanRemoved result_;
};

class SlowLevel {
public:
    explicit SlowLevel(int32_t sampleRate) : scale_(sampleRate) {}
    // The levels of meanSquares[0..n-1], into levels[0..n-1].
    void levelRange(const double *meanSquares, int32_t n, float *levels);
    // Only the largest level of meanSquares[0..n-1], as levelRange would
    // find it, turning only the mean squares near the largest so far into
    // levels: one lower by more than a part in 1e9 has a logarithm lower by
    // more than a thousand times the logarithm's rounding error, and the
    // steps after the logarithm never reverse an order, so its level
    // cannot be the larger one.
    void largestOf(const double *meanSquares, int32_t n);
    float lawMax() const { return lawMax_; }

private:
    LevelScale scale_;
    float lawMax_ = 0;
    double largest_ = 0;   // largest mean square so far
};

// `from`, raised to each of values[0..n-1] that is strictly greater (a NaN
// never is): the same as taking them one by one, faster.
float runningMax(const float *values, int32_t n, float from);

// The three figures the window shows, in m/s and dB.
struct Figures {
    double peak = 0;        // largest |sample|
    double rms = 0;
    float lawMaxSlow = 0;   // largest slow level, >= 0
};

// Figures of the whole record from the load: peak is the stored
// peakAmplitude, rms divides by count.
Figures recordFigures(float peakAmplitude, double sumSquares, float lawMaxSlow, int32_t count);

// Figures of samples[start..end] and slowLevel[start..end] with 32-bit
// squares summed in 64-bit; the RMS divides by end - start + 1.
// Ends given the wrong way round are swapped; both must lie in 0..count.
Figures segmentFigures(const std::vector<float> &samples, const std::vector<float> &slowLevel,
                       int32_t start, int32_t end);

// The whole analysis of a freshly read record, done on its own arrays; what
// the record is (codes, rate, sensitivity, unit, start time) as it was read.
struct AnalysedRecord : RecordInfo {
    int32_t sampleCount = 0;
    std::vector<float> samples;     // mean removed, entries 0..sampleCount
    std::vector<float> slowLevel;   // dB, entries 0..sampleCount
    float peakAmplitude = 0;        // sqrt of the largest square, stored as float
    double sumSquares = 0;
    float lawMaxSlow = 0;
    Figures figures;                // of the whole record
    float largestValue = 0;         // largest |value| as read, before the mean was removed
    std::vector<std::string> warnings;   // the reader's (Record::warnings)
};
