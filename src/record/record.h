#pragma once

#include "record/loaderror.h"
#include "record/utctime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// What the values of a record are.
enum class SampleUnit : uint8_t {
    metresPerSecond,   // velocity in m/s: so stored, or turned into m/s (see sensitivity)
    asStored,          // the file's own numbers, taken as they stand: counts, or a unit it does not give
};

// What a record is, apart from its values: where, how and when it was
// recorded. Codes are UTF-8 and empty when the file has none; the component
// name of PSN text and SAC is the channel code.
struct RecordInfo {
    std::string network, station, location, channel;
    int32_t sampleRate = 0;   // whole samples per second, >= minimumSampleRate
    // What the stored values were divided by to give m/s: counts per m/s of
    // a recorder's counts, 1e9 of values in nm/s. None when they were taken
    // as they stand.
    std::optional<double> sensitivity;
    SampleUnit unit = SampleUnit::metresPerSecond;
    std::optional<UtcTime> startTime;   // of the first sample; none when the file does not say
};

// A record as read from any of the formats, before any analysis.
struct Record : RecordInfo {
    // Moved, not copied unawares: a copy of a day's samples costs about as
    // much time and memory as reading them. copy() says so where one is meant.
    Record() = default;
    Record(Record &&) = default;
    Record &operator=(Record &&) = default;
    Record copy() const { return *this; }

    int32_t sampleCount = 0;       // >= 1
    std::vector<float> samples;    // entries 0..sampleCount in file order; entry 0 is 0
    double sum = 0;                // running sum of the values read, in file order, 64-bit
    float largestValue = 0;        // largest |value| of samples[1..sampleCount]
    // What the reader noticed and read past, one sentence each: "the data
    // hold 12 values but "Number of Samples" announces 10: ...".
    std::vector<std::string> warnings;

private:
    Record(const Record &) = default;
    Record &operator=(const Record &) = default;
};

using ReadResult = std::variant<Record, LoadError>;

// The lowest sampling rate at which the 2 Hz weighting filter can be
// designed: below 4 / 0.35 = 11.43 samples per second its tangent breaks down.
inline constexpr int32_t minimumSampleRate = 12;

// Why `rate` (whole samples per second) is too low for the weighting, or
// nothing when it is not.
std::optional<std::string> lowRateReason(int64_t rate);

// Why the arrays of `count` samples (two floats each, and entry 0) do not
// fit in `memory` bytes, 0 meaning unknown: ", whose arrays need A bytes,
// more than the M bytes of memory available", to follow "the header
// announces N samples". Nothing when they fit.
std::optional<std::string> arraysReason(int64_t count, uint64_t memory);

// Whether the memory available still holds `bytes` more.
bool memoryHolds(uint64_t bytes);
