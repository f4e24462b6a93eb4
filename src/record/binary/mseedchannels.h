#pragma once

#include "record/binary/sampleblocks.h"
#include "record/recordreader.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The samples of one miniSEED record as decoded.
struct RecordSamples {
    UtcTime start;                // time of the first sample
    double rate = 0;              // samples per second, as the record states it
    const void *values = nullptr;
    int64_t count = 0;
    char type = 'i';              // 'i' 32-bit integers, 'f' 32-bit floats, 'd' 64-bit floats
    uint64_t offset = 0;          // of the record in the file
};

// A continuous run of a channel's records: each starts where the one
// before ended, within half a sample, at the same rate.
struct TracePiece {
    UtcTime start;                // of its first sample
    int32_t rate = 0;             // whole samples per second
    UtcTime nextStart;            // where a record must start to continue it
    SampleBlocks values;          // through the channel's scale, rounded to 32-bit
    ValueTotals totals;
};

// One channel of a miniSEED file, its records joined in file order.
struct ChannelTrace {
    std::string network, station, location, channel;   // the codes, without blanks
    std::string name;            // what messages and choices call it (see nameChannels)
    bool wanted = true;          // false: its records are passed over undecoded
    bool started = false;        // its first record set the scale
    ValueScale scale;
    std::vector<TracePiece> pieces;   // in file order
    uint64_t valueCount = 0;     // in all its pieces
    // The first reason the channel cannot be read; its later records are
    // then passed over and its values given back.
    std::optional<std::string> problem;
    // Why the channel's latest record could not be decoded. Of its last
    // record the channel keeps the records before it (see settleDamage); a
    // later record makes it the problem.
    std::optional<std::string> damaged;
};

// "NET.STA.LOC.CHA", the location empty when the record has none.
std::string channelId(const ChannelTrace &trace);

// Names each channel by its code ("EHZ"), or by its id where another
// channel of the file has the same code.
void nameChannels(std::vector<ChannelTrace> &traces);

// Whether `asked` (a channel code or an id) names the channel.
bool channelMatches(const ChannelTrace &trace, std::string_view asked);

// Joins a record's samples to the channel. The first record sets the scale
// (options, table; miniSEED has no sensitivity of its own). A record that
// does not start where the last piece ended, within half a sample, or at
// another rate (within 0.1 % of a whole number, at least 12 per second),
// starts a new piece. Sets trace.problem on a rate that cannot be read, a
// piece of more than 2147483647 samples, a value that is NaN, infinite or
// beyond the 32-bit float range once scaled, or samples that do not fit in
// the memory available.
void addSamples(ChannelTrace &trace, const RecordSamples &record, const SensitivityChoice &choice);

// Once the file is read: a damaged last record that no samples came before
// is the channel's problem.
void settleDamage(ChannelTrace &trace);

// The channel's entries: one per piece, or one giving its problem; named
// when the file holds `several` channels.
std::vector<RecordEntry> traceEntries(const ChannelTrace &trace, bool several);

// Piece `piece` of the channel as a record, its values moved into one array
// (`tick` called between blocks), a damaged last record left out with a
// warning on the last piece; the channel must have no problem.
Record takePiece(ChannelTrace &trace, size_t piece, const std::function<void()> &tick);
