#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// What a load failure tells the person: the file, the line where it applies
// (0 when none does) and the reason in plain words.
struct LoadError {
    std::string file;
    long line = 0;
    std::string reason;

    // "FILE: line N: reason", or "FILE: reason" without a line.
    std::string message() const;
};

// A PSN text event file as read, before any analysis.
struct PsnRecord {
    int32_t sampleCount = 0;       // "Number of Samples", >= 1
    int32_t sampleRate = 0;        // "SPS:", >= 12 (the 2 Hz weighting needs it)
    std::string stationCode;       // "Station Code:" from character 15, UTF-8; empty when absent
    std::string componentName;     // "Component Name:" from character 17, UTF-8; empty when absent
    std::vector<float> samples;    // entries 0..sampleCount in file order; entry 0 is 0
    float sum = 0;                 // running sum of the values read, in 32-bit float
};

using ReadResult = std::variant<PsnRecord, LoadError>;

// Progress while the samples are read, from 5 to 10 percent, called every
// few tens of thousands of samples so a window can let its events run.
using ReadProgress = std::function<void(int percent)>;

// How many samples the long loops handle between two progress calls.
inline constexpr int32_t progressInterval = 1 << 16;

// The lowest sampling rate at which the 2 Hz weighting filter can be
// designed: below 4 / 0.35 = 11.43 samples per second its tangent breaks down.
inline constexpr int32_t minimumSampleRate = 12;

// Reads a header number: blanks and tabs anywhere are skipped, then an
// optional sign, digits, an optional '.' with digits and an optional
// exponent; reading stops at the first other character and an empty value
// gives 0. The result is the nearest integer, ties to even. Returns false
// when it does not fit a 32-bit signed integer.
bool readHeaderNumber(std::string_view value, int32_t &result);

// Data of at least 1 MiB is read in two parts, on this thread and a helper
// thread. While a TwoPartReadFrom lives, the calling thread splits data from
// `bytes` on instead, so that a test can read small texts in two parts too.
class TwoPartReadFrom {
public:
    explicit TwoPartReadFrom(size_t bytes);
    ~TwoPartReadFrom();
    TwoPartReadFrom(const TwoPartReadFrom &) = delete;
    TwoPartReadFrom &operator=(const TwoPartReadFrom &) = delete;

private:
    size_t previous_;
};

// Parses the whole text of a file; `fileName` only names it in errors.
ReadResult parsePsn(std::string_view text, const std::string &fileName,
                    const ReadProgress &progress = {});

// Reads the file at `path` in one go and parses it. Something that is not a
// regular file is refused without being read.
ReadResult readPsnFile(const std::string &path, const ReadProgress &progress = {});
