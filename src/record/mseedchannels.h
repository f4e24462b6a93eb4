#pragma once

#include "record/loaderror.h"
#include "record/psnreader.h"
#include "record/sampleblocks.h"
#include "record/sensitivity.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The samples of one miniSEED record as decoded.
struct RecordSamples {
    int64_t start = 0;            // time of the first sample, microseconds since 1970, UTC
    double rate = 0;              // samples per second, as the record states it
    const void *values = nullptr;
    int64_t count = 0;
    char type = 'i';              // 'i' 32-bit integers, 'f' 32-bit floats, 'd' 64-bit floats
    uint64_t offset = 0;          // of the record in the file
};

// One channel of a miniSEED file, its records joined in file order.
struct ChannelTrace {
    std::string network, station, location, channel;   // the codes, without blanks
    std::string name;            // what messages and choices call it (see nameChannels)
    bool wanted = true;          // false: its records are passed over undecoded
    int32_t rate = 0;            // whole samples per second, from its first record
    int64_t nextStart = 0;       // where the next record must start, microseconds
    ValueScale scale;
    SampleBlocks values;         // through the scale, rounded to 32-bit
    double sum = 0;              // of the values in file order, 64-bit
    float largest = 0;           // largest |value|
    // The first reason the channel cannot be read; its later records are
    // then passed over and its values given back.
    std::optional<std::string> problem;
    // Why the channel's latest record could not be decoded. Of its last
    // record the channel keeps the records before it; a later record makes
    // it the problem.
    std::optional<std::string> damaged;
};

// "NET.STA.LOC.CHA", the location empty when the record has none.
std::string channelId(const ChannelTrace &trace);

// Names each channel by its code ("EHZ"), or by its id where another
// channel of the file has the same code.
void nameChannels(std::vector<ChannelTrace> &traces);

// Whether `asked` (a channel code or an id) names the channel.
bool channelMatches(const ChannelTrace &trace, std::string_view asked);

// Of `names`, the one to offer first when the person is asked to choose:
// the first ending in Z (the vertical component), else the first.
size_t offeredChannel(const std::vector<std::string> &names);

// Joins a record's samples to the channel. The first record sets the rate
// (within 0.1 % of a whole number, at least 12 per second) and the scale
// (options, table; miniSEED has no sensitivity of its own); each later one
// must start where the one before ended, within half a sample, at the same
// rate. Sets trace.problem otherwise, or on a value that is NaN, infinite or
// beyond the 32-bit float range once scaled, or on samples that do not fit
// in the memory available.
void addSamples(ChannelTrace &trace, const RecordSamples &record, const SensitivityChoice &choice);

// The channel's record, its values moved into one array (`tick` called
// between blocks), or why it cannot be read, naming the channel; a damaged
// last record is left out with a warning. The record's channel is set when
// the file holds `several` channels.
ReadResult takeChannel(ChannelTrace &&trace, const std::string &file, bool several,
                       const std::function<void()> &tick);

// "2024-03-01 10:00:03.740000 UTC".
std::string timeText(int64_t microseconds);
