#pragma once

#include "record/byteinput.h"
#include "record/loaderror.h"
#include "record/psnheader.h"
#include "record/sensitivity.h"
#include "session/threads.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A record as read from any of the formats, before any analysis.
struct PsnRecord {
    // Moved, not copied unawares: a copy of a day's samples costs about as
    // much time and memory as reading them. copy() says so where one is meant.
    PsnRecord() = default;
    PsnRecord(PsnRecord &&) = default;
    PsnRecord &operator=(PsnRecord &&) = default;
    PsnRecord copy() const { return *this; }

    int32_t sampleCount = 0;       // "Number of Samples", >= 1
    int32_t sampleRate = 0;        // "SPS:", >= 12 (the 2 Hz weighting needs it)
    std::string stationCode;       // "Station Code:" from character 15, UTF-8; empty when absent
    std::string componentName;     // "Component Name:" from character 17, UTF-8; empty when absent
    std::vector<float> samples;    // entries 0..sampleCount in file order; entry 0 is 0
    double sum = 0;                // running sum of the values read, in file order, 64-bit
    // Counts per m/s the values were turned into m/s with; none when they
    // were taken as they stand.
    std::optional<double> sensitivity;
    float largestValue = 0;        // largest |value| of samples[1..sampleCount]
    // Of a file of several channels (miniSEED), the name of the one read
    // ("EHZ"); empty otherwise.
    std::string channel;
    // What the reader noticed and read past, one sentence each: "the data
    // hold 12 values but "Number of Samples" announces 10: ...".
    std::vector<std::string> warnings;

private:
    PsnRecord(const PsnRecord &) = default;
    PsnRecord &operator=(const PsnRecord &) = default;
};

using ReadResult = std::variant<PsnRecord, LoadError>;

// Progress of a load in percent; a window lets its events run in it.
using ReadProgress = std::function<void(int percent)>;

// How many samples the analysis handles between two progress calls.
inline constexpr int32_t progressInterval = 1 << 16;

struct ReadOptions {
    // 5 to 10 while the file is read, by the bytes read (by the values read
    // when the size is unknown): after every part (threads.readPartBytes at most)
    // and every 10 ms while waiting for a helper, whatever the file holds.
    ReadProgress progress;
    // Once the header has been read and the sample array made, before any
    // sample is read.
    std::function<void()> headerRead;
    ThreadPolicy threads = defaultThreads();
    // Where the sensitivity of a record of counts comes from.
    SensitivityChoice sensitivity;
    // Of a file of several channels (miniSEED), the one to read: its
    // channel code ("EHZ"), or NET.STA.LOC.CHA where the code is not enough.
    // The others are passed over undecoded.
    std::optional<std::string> channel;
    // Asked, when a file holds several channels and `channel` names none,
    // which one to read: given their names in file order, returns one of
    // them, or nothing to read none (the load then ends with an error whose
    // `cancelled` is set). Without it such a file is refused where one
    // record is read.
    std::function<std::optional<std::string>(const std::vector<std::string> &names)> chooseChannel;
};

// Reads a record from `input`; `name` names it in errors. A header count
// whose arrays would not fit in the memory available, or, where the size is
// known, larger than the bytes after the "Data:" line, is refused before
// anything is allocated; from a stream of unknown size the memory taken
// grows only with the values read.
ReadResult readPsn(ByteInput &input, const std::string &name, const ReadOptions &options = {});

// Parses the whole text of a file.
ReadResult parsePsn(std::string_view text, const std::string &name, const ReadOptions &options = {});

// Reads the file at `path`. Something that is not a regular file is refused
// without being read.
ReadResult readPsnFile(const std::string &path, const ReadOptions &options = {});
