#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The level threshold the window marks: a "Law,max,Slow" strictly above it
// colours the box.
inline constexpr double perceptionThreshold = 71.0;

// Mean removal and weighting over samples[1..count] (entry 0 stays 0).
// On return samples[i] holds the value minus the mean, weighted[i] the
// weighting filter's output; weighted must have count + 1 entries.
struct MeanRemoved {
    float peakSquare = 0;    // largest square of a mean-removed value
    double sumSquares = 0;   // sum of the 32-bit squares, accumulated in 64-bit
};
// `tick`, when given, is called with the index reached every
// progressInterval samples.
using SampleTick = std::function<void(int32_t index)>;
MeanRemoved removeMeanAndWeight(std::vector<float> &samples, double sum, int32_t count,
                                int32_t sampleRate, std::vector<float> &weighted,
                                const SampleTick &tick = {});

// Turns the weighted signal in level[1..count] into the running slow level
// in dB (1 s time constant, 10 log10(m / 1e-18) - 29) in place. Where the
// running mean square is 0 the level is minus infinity. Returns the largest
// level, never below 0.
float slowLevelInPlace(std::vector<float> &level, int32_t count, int32_t sampleRate,
                       const SampleTick &tick = {});

// The slow level in pieces: `levelRange` continues the running mean square
// over level[from..to] in place, so that pieces taken in order give exactly
// what slowLevelInPlace gives for the whole.
class SlowLevel {
public:
    explicit SlowLevel(int32_t sampleRate);
    void levelRange(float *level, int32_t from, int32_t to);
    float lawMax() const { return lawMax_; }

private:
    double s_, r2_, ln10_;
    double m_ = 0;
    float lawMax_ = 0;
};

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

// The whole analysis of a freshly read record, done on its own arrays.
struct AnalysedRecord {
    int32_t sampleCount = 0;
    int32_t sampleRate = 0;
    std::string stationCode;
    std::string componentName;
    std::vector<float> samples;     // mean removed, entries 0..sampleCount
    std::vector<float> slowLevel;   // dB, entries 0..sampleCount
    float peakAmplitude = 0;        // sqrt of the largest square, stored as float
    double sumSquares = 0;
    float lawMaxSlow = 0;
    Figures figures;                // of the whole record
    std::optional<double> sensitivity;   // counts per m/s used; none: values as they stand
    float largestValue = 0;         // largest |value| as read, before the mean was removed
};
