#pragma once

// Sets of three components of one station, found from what the readers
// tell of each record, before any sample is looked at.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct ChannelInfo {
    std::string network, station, location, channel;   // channel: band, instrument, orientation
    double rate = 0;                       // samples per second
    std::optional<int64_t> startMicros;    // first sample, UTC microseconds since 1970
    int64_t sampleCount = 0;
};

// A set: the same network, station and location, the same first two
// letters of the channel code, orientations Z, N, E or Z, 1, 2, the same
// rate (to a part in a million, so that a rate kept as a float sample
// interval still matches), and starts within half a sample of each other;
// records without a start time only with others without one and of the
// same length. Only the span common to all three is judged: from
// offsets[k] in members[k], count samples. With starts within half a sample
// the offsets are 0 and count is the shortest member's length.
struct ComponentSet {
    std::array<std::size_t, 3> members{};   // indices into the list: Z, then N or 1, then E or 2
    std::array<int64_t, 3> offsets{};
    int64_t count = 0;
};

// A record that joins no set, to be judged as a single component, and why
// in plain words ("HHE is missing", "HHN has 100 samples/s, HHE 200").
struct LoneChannel {
    std::size_t member = 0;
    std::string reason;
};

struct ComponentGrouping {
    std::vector<ComponentSet> sets;       // in the order of their Z records
    std::vector<LoneChannel> singles;     // in the order given
};

// Each record joins at most one set; the first fitting records in the
// order given make a set.
ComponentGrouping groupComponents(std::span<const ChannelInfo> channels);

// Whether two records of three-letter codes could be members of one set:
// the same station, band and instrument, rate and start, as above
// (orientations aside).
bool fitTogether(const ChannelInfo &a, const ChannelInfo &b);
